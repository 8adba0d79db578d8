// Car setup files (.stg) to stg.def and back.
#pragma once

#include "textfmt/command.hpp"

namespace z5 {

// Asks for a .stg file and writes stg.def into the working folder: the
// folder and setup name, the shown fields of the setup record in columns,
// and the comment on line 37.
Outcome mnuSetupDecompile_Click(Host& host);

// Reads Stg.def from the working folder (any letter case) by line number and
// writes the setup named on its line 2 into the working folder as NAME.stg.
// The file is replaced only when it was written whole: a failed compile
// leaves an existing setup untouched.
Outcome mnuSetupCompile_Click(Host& host);

}  // namespace z5
