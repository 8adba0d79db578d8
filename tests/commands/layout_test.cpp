// What the decompilers write reads back without a single departure from
// its layout, whenever it compiles back to the file it came from: the
// layouts the parsers compare with are the ones the printers write.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "commands/table.hpp"
#include "tests/support/support.hpp"

namespace z5 {
namespace {

namespace fs = std::filesystem;
using namespace test;

struct Kind {
    const char* decompile;
    const char* compile;
    const char* corpus;  // the fuzz corpus of its decompiler
};

const Kind kKinds[] = {
    {"mnuTrkDecompile", "mnuTrkCompile", "fuzz_trk_decompile"},
    {"mnuCamDecompile", "mnuCamCompile", "fuzz_cam_decompile"},
    {"mnuScrDecompile", "mnuScrCompile", "fuzz_scr_decompile"},
    {"mnuSetupDecompile", "mnuSetupCompile", "fuzz_stg_decompile"},
    {"mnu3doDecompile", "mnu3doCompile", "fuzz_3do_decompile"},
};

// The files a kind's decompiler is offered: the samples of its extension
// and its fuzz corpus.
std::vector<fs::path> inputsOf(const Kind& kind) {
    const std::string_view extension = findCommandByMenu(kind.decompile)->fileExtension();
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(Z5_SAMPLES_DIR))
        if (entry.path().extension() == extension) files.push_back(entry.path());
    for (const auto& entry : fs::directory_iterator(fs::path(Z5_CORPUS_DIR) / kind.corpus))
        files.push_back(entry.path());
    return files;
}

TEST(Layout, DecompiledFilesThatCompileBackReadWithoutADeparture) {
    for (const Kind& kind : kKinds) {
        std::size_t identical = 0;
        for (const fs::path& input : inputsOf(kind)) {
            SCOPED_TRACE(input.string());
            TempFolder dir;
            FakeHost host(dir.str());
            host.answer = input.string();
            if (findCommandByMenu(kind.decompile)->run(host).status != Status::Done) continue;
            const auto before = folderNames(dir.str());
            host.answer = dir.file("compiled.3do");
            if (findCommandByMenu(kind.compile)->run(host).status != Status::Done) continue;
            for (const std::string& name : folderNames(dir.str()))
                if (std::find(before.begin(), before.end(), name) == before.end() &&
                    name != "offset.def" && readFile(dir.file(name)) == readFile(input.string())) {
                    ++identical;
                    EXPECT_TRUE(host.diagnostics.empty())
                        << diagnosticLine(host.diagnostics.front());
                }
        }
        // Not a test of nothing: each kind has files that come back.
        EXPECT_GT(identical, 0u) << kind.decompile;
    }
}

}  // namespace
}  // namespace z5
