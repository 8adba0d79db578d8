// A scratch working folder in which one decompiler/compiler pair runs:
// bytes in as the chosen file, text out, text in, bytes out.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/support/support.hpp"
#include "textfmt/command.hpp"

namespace z5::test {

struct ConverterPair {
    std::string input;   // the chosen binary file
    std::string def;     // the definition file as the decompiler names it
    std::string output;  // the compiler's output
    Outcome (*decompile)(Host&);
    Outcome (*compile)(Host&);
};

class PairFixture : public ::testing::Test {
  protected:
    explicit PairFixture(ConverterPair pair) : pair_(std::move(pair)) {}

    // Decompiles `bytes`; returns the definition file.
    std::string decompile(std::string_view bytes) {
        writeFile(dir.file(pair_.input), bytes);
        host.answer = dir.file(pair_.input);
        const Outcome o = pair_.decompile(host);
        EXPECT_EQ(o.status, Status::Done) << o.reason;
        return readFile(dir.file(pair_.def));
    }
    // Compiles `text`, written under the decompiler's name of the file.
    Outcome compile(std::string_view text) {
        writeFile(dir.file(pair_.def), text);
        return pair_.compile(host);
    }
    // Compiles the definition file as it stands.
    Outcome compile() { return pair_.compile(host); }
    std::string compiled() const { return readFile(dir.file(pair_.output)); }

    TempFolder dir;
    FakeHost host{dir.str()};

  private:
    ConverterPair pair_;
};

}  // namespace z5::test
