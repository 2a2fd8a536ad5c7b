#pragma once
// The Trajectories page's rules without the window: the editor's texts of the four sets, which
// edits are editable, and the checks before a send.

#include "service/Unitpages.h"

#include <array>
#include <string>

struct CTrajSetTexts {
    int lastIndex = 0; // the checked point button
    std::array<std::string, CTrajectory::Points> load, tune, delay;
};

// Everything the page edits: the four sets (the editor shows one, the others wait here), the
// limits, the per-point flag and the set to activate on Send.
struct CTrajTexts {
    std::array<CTrajSetTexts, CUnitState::TrajectoryCount> sets;
    std::string loadMin = "0", loadMax = "100", tuneMin = "0", tuneMax = "100";
    bool perPoint = true;
    int selected = 0;
};

// Positions, limits and delays with 2 decimals; delays empty when the unit keeps none.
CTrajTexts TrajTexts(const CTrajData& data);
// Every set, the limits and (when kept) the delays: positions and limits 0..100 %, delays from
// 0 s (2.55 s or more goes as the longest delay). False with the first bad field's message.
bool ParseTrajTexts(const CTrajTexts& texts, CTrajData& data, std::string& error);

// Point k's Load and Tune edits are editable when k <= the last point index.
bool TrajPointEditable(int point, int lastIndex);
// Point k's delay edit: also only when the unit keeps per-point delays.
bool TrajDelayEditable(int point, int lastIndex, bool perPoint);
// A set index outside 0..3 becomes 0.
int ValidTrajSet(int index);
