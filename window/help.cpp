#include "window/help.hpp"

#include <span>

#include "commands/table.hpp"
#include "window/menu.hpp"
#include "window/settings.hpp"

namespace z5 {
namespace {

using K = HelpKind;

struct FixedBlock {
    HelpKind kind;
    std::string_view text;
};

// Before the converters.
constexpr FixedBlock kIntroduction[] = {
    {K::Title, "Z5 Def Tool help"},
    {K::Paragraph,
     "Z5 Def Tool turns the game's binary files into plain-text definition files (.def) that you "
     "can edit in any text editor, and compiles the edited files back into the game's format. It "
     "also unpacks and packs .dat archives and dumps any file as numbers."},
    {K::Heading, "The working folder"},
    {K::Paragraph,
     "The folder chosen in the folder list on the left is the working folder; its full path "
     "stands above the lists. Every command writes its output files into it under fixed names, "
     "and the compile commands read their definition files from it (the letter case of those "
     "names does not matter). The file dialogs open in it. The drive list above the folder list "
     "switches to another drive or mounted volume, back to the folder you last used there."},
    {K::Heading, "How a command runs"},
    {K::Paragraph,
     "A command that needs a file asks for it in a file dialog; Cancel ends the command and "
     "nothing is written. The window's caption then shows the chosen file, the pointer is an "
     "hourglass while the command works, and a box saying DONE tells you that every output file "
     "was written; the status bar then names them (\"wrote Trk.def\"). If a command fails there "
     "is no box: the status bar at the bottom says why (which file, and for a definition file "
     "which line), and every file is as it was: an output replaces an older file only once it "
     "is complete. Only 3do Decompile and Text Doc keep what they wrote before a failure, "
     "because it shows where the input went wrong."},
    {K::Heading, "Dropping files on the window"},
    {K::Paragraph,
     "Files dropped on the window get the command of their kind, in the working folder, one "
     "after the other, each ending as it does from the menu: a .3do, .trk, .cam, .scr or .stg "
     "file is decompiled, a .dat archive extracted as by File > Extract Workspace, and a "
     "vertex.def, flavor.def or Trk.def drawn as by View (with the definition files of its own "
     "folder). For any other file the status bar says \"no command for NAME\" and nothing runs. "
     "Files whose commands would write the same file (two tracks both write Trk.def) are "
     "refused together, before any runs: drop them one at a time. Starting the window as "
     "z5deftool FILE... (on Windows, dropping files on z5deftool.exe) does the same, with the "
     "first file's folder as the working folder."},
    {K::Heading, "Menu commands"},
};

// After the converters.
constexpr FixedBlock kPictureWindows[] = {
    {K::Heading, "Picture windows"},
    {K::Paragraph,
     "3do > View and Trk > View open a picture window. The vertex or point under the pointer is "
     "named in its status bar, and Save as SVG writes the picture as it was drawn. The window "
     "follows what it shows: the file, or the definition files it stands for. A moment after "
     "one of them is saved the picture is drawn again, each panel as you left it. When the saved "
     "file no longer reads, the last picture stays and the status bar says why, with the lines "
     "that depart from the layout, until the file reads again."},
    {K::Item, "The wheel zooms the panel under the pointer in or out about the pointer."},
    {K::Item, "Dragging with the left button moves the panel."},
    {K::Item,
     "Dragging with the right button in the isometric panel turns the object about its centre: "
     "left and right turn it, up and down tilt it; the panel's title gives both angles."},
    {K::Item, "Home fits every panel again and turns the object back."},
};

constexpr FixedBlock kOtherEntries[] = {
    {K::Heading, "The other entries"},
    {K::Item,
     "File > Dos Window opens a command shell in the working folder: on Linux the program named "
     "by $TERMINAL, else x-terminal-emulator, else xterm; on Windows the shell named by "
     "%COMSPEC%."},
    {K::Item,
     "File > Extract Workspace asks for an archive and makes the folder of its name in the "
     "working folder: a folder MEMBER.def of definition files for each member that compiles back "
     "to the same bytes, the other members as files, and the report workspace.txt. File > Build "
     "Workspace asks for a workspace's dattext.pck and writes its archive into the working "
     "folder, keeping the archive it replaces as NAME.dat.bak; a definition file that departs "
     "from its layout fails it. File > Verify asks for a file or a folder and says for each file "
     "whether it comes back the same through its definition files. File > Check asks for a file "
     "or a folder and lists what is wrong with its binaries and definition files, writing "
     "nothing: errors for what a command would refuse or read otherwise than it stands, warnings "
     "for what an edit commonly breaks. When one of them fails, a list window shows every reason "
     "and departure; Verify and Check show their lines there, and Build Workspace the members it "
     "changed, added and removed."},
    {K::Item,
     "File > List Archive asks for an archive and lists its members: name, size, offset and the "
     "kind their bytes look like. File > Compare asks for two files of one kind, or two "
     "archives, and lists what differs, field by field as the definition files name them."},
    {K::Item,
     "File > Clean Up first asks \"Delete the N files that dattext.pck lists?\" and deletes "
     "them only on Yes."},
    {K::Item, "File > Exit closes the window."},
    {K::Item,
     "A picture window's Save as SVG asks where to save, offering the picture's name; a name "
     "without an extension gets .svg."},
    {K::Item,
     "Programs starts the programs named in z5.ini (Ctrl+F1 to Ctrl+F6), in the working folder, "
     "without waiting for them. Slots without a caption are shown disabled."},
    {K::Item,
     "About shows the version, what the tool does, where its documentation is and its licence."},
    {K::Item,
     "LP > Def Tools > Decompile and Compile do nothing in this version. Value Search, Editing "
     "Tools, Tools and Bin Files are disabled."},
    {K::Item,
     "3do > Def Tools > Compile and the Other menu (cameras, camera scripts, setups) are "
     "disabled unless the window was started with z5deftool --all-commands. The command-line "
     "tool z5def offers every command as well."},
    {K::Heading, "The settings file z5.ini"},
    {K::Paragraph,
     "The window reads z5.ini from the folder it is started in, or, when that folder holds "
     "none, from the folder of the program itself. A relative start folder is taken from the "
     "folder of z5.ini."},
};

// After the example of z5.ini.
constexpr FixedBlock kClosing[] = {
    {K::Paragraph,
     "Without a readable z5.ini of 13 fields, or when its first field is not a folder, the "
     "window says why and does not open."},
};

std::string_view howItAsks(Dialog dialog) {
    switch (dialog) {
        case Dialog::Open:
            return "asks for FILE with the open dialog";
        case Dialog::Save:
            return "asks with the save dialog where to write FILE";
        case Dialog::None:
            break;
    }
    return "reads its definition file from the working folder";
}

void append(std::vector<HelpBlock>& blocks, std::span<const FixedBlock> fixed) {
    for (const FixedBlock& b : fixed) blocks.push_back({b.kind, std::string(b.text)});
}

}  // namespace

std::vector<HelpBlock> helpBlocks() {
    std::vector<HelpBlock> blocks;
    append(blocks, kIntroduction);
    for (const MenuEntry& e : menuTree()) {
        if (e.role != MenuRole::Command) continue;
        const CommandEntry& command = *findCommandByMenu(e.name);
        blocks.push_back(
            {K::Command, menuPath(e.name),
             std::string(howItAsks(command.options.dialog)) + "; " + std::string(command.summary)});
    }
    append(blocks, kPictureWindows);
    append(blocks, kOtherEntries);
    blocks.push_back({K::Paragraph, std::string(settingsFields())});
    blocks.push_back({K::Example, settingsExample()});
    append(blocks, kClosing);
    return blocks;
}

std::string helpText() {
    std::string text;
    HelpKind last = K::Title;
    for (const HelpBlock& b : helpBlocks()) {
        // A blank line between blocks, except inside a run of list entries
        // or converters.
        if (!text.empty() && !(b.kind == last && (b.kind == K::Item || b.kind == K::Command)))
            text += '\n';
        last = b.kind;
        switch (b.kind) {
            case K::Title:
            case K::Heading:
                text += b.text + '\n' + std::string(b.text.size(), b.kind == K::Title ? '=' : '-');
                break;
            case K::Item:
                text += "- " + b.text;
                break;
            case K::Example:
                text += "    ";
                for (const char c : b.text)
                    text += c == '\n' ? std::string("\n    ") : std::string(1, c);
                break;
            case K::Command:
                text += b.text + ": " + b.detail;
                break;
            case K::Paragraph:
                text += b.text;
                break;
        }
        text += '\n';
    }
    return text;
}

}  // namespace z5
