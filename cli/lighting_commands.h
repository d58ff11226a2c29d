#pragma once
// zarvelctl's lighting commands: the lighting panel and the user colour group
// of the main window, on the terminal. They work on the keyboard's active
// profile (the window keeps its current profile equal to it) and on the
// per-user lighting files, as the window does.
//
//   lighting [--effect N|NAME] [--brightness 0-4] [--speed 0-3]
//            [--direction first|second|left|right|up|down|spread|converge]
//            [--colour RRGGBB] [--random on|off] [--rate 0-3]
//            [--choice red|yellow|green|blue|0-3]
//     Applies the options given, in that order, each written at once as the
//     panel writes it, then prints the profile's lighting record.
//   colours                       the user slot: names, tool, paint and base colour
//   colours paint KEY RRGGBB      paint KEY (user effect selected) in that colour
//   colours slot [N]              list the slots, or load slot N (1-10) and send it
//   colours base RRGGBB           new base colour for every key that wears it
//   colours tool paint|base       the tool a key click paints with
//   colours send                  send the slot's colours to the keyboard again
#include "cli/commands.h"

namespace zarvel::cli {

int RunLighting(CommandContext& context);
int RunColours(CommandContext& context);

}  // namespace zarvel::cli
