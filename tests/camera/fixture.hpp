// One decompiler/compiler pair run in a scratch working folder.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/support.hpp"
#include "textfmt/command.hpp"

namespace z5::test {

struct ConverterPair {
    std::string input, def, output;  // chosen file, definition file, compiler output
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
    // Compiles `lines` (the definition file as it stands when not given).
    Outcome compile(const std::vector<std::string>& lines) {
        writeFile(dir.file(pair_.def), joinCrlf(lines));
        return compile();
    }
    Outcome compile() { return pair_.compile(host); }
    std::string compiled() const { return readFile(dir.file(pair_.output)); }

    TempFolder dir;
    FakeHost host{dir.str()};

private:
    ConverterPair pair_;
};

}  // namespace z5::test
