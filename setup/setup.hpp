// Car setup files (.stg) to stg.def and back.
#pragma once

#include "textfmt/command.hpp"

namespace z5 {

// Writes stg.def from the chosen .stg file: the folder and setup name, the
// shown fields of the setup record in columns, and the comment on line 37.
void runStgDecompile(Command& cmd);

// Reads Stg.def from the working folder (any letter case) by line number and
// writes the setup named on its line 2 into the working folder as NAME.stg,
// replacing an existing setup of that name in any letter case.
void runStgCompile(Command& cmd);

}  // namespace z5
