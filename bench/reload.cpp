// The picture window's reload of a track's definitions, as the window does
// it but without a toolkit: the picture of FOLDER's Trk.def opened once,
// then COUNT times saved again (a new file renamed over the old one) and
// reloaded. Prints the seconds the reloads took, saving left out.
// Usage: z5bench_reload FOLDER COUNT
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "commands/table.hpp"
#include "window/picture.hpp"

namespace {

class ReadingHost : public z5::WindowlessHost {
public:
    using WindowlessHost::WindowlessHost;
    void reading(const std::string& path) override { read.push_back(path); }
    std::vector<std::string> read;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: z5bench_reload FOLDER COUNT\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]);
    ReadingHost host(folder, "");
    const z5::CommandEntry& row = *z5::findCommandByMenu("mnuTrkView");
    std::optional<z5::picture::Drawing> drawing;
    const z5::Outcome opened = row.runDrawing(host, drawing);
    if (!drawing) {
        std::fprintf(stderr, "z5bench_reload: %s\n", opened.reason.c_str());
        return 1;
    }
    z5::PictureController picture(std::move(*drawing), [&folder] { return folder; },
                                  {&row, "", folder, host.read});
    const std::string path = host.read.at(0);
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    std::chrono::duration<double> spent{};
    for (int i = 0; i < count; ++i) {
        std::ofstream(path + ".new", std::ios::binary) << text;
        std::filesystem::rename(path + ".new", path);
        const auto start = std::chrono::steady_clock::now();
        if (!picture.reload() || !picture.status().empty()) {
            std::fprintf(stderr, "z5bench_reload: no reload: %s\n", picture.status().c_str());
            return 1;
        }
        spent += std::chrono::steady_clock::now() - start;
    }
    std::printf("%.4f\n", spent.count());
    return 0;
}
