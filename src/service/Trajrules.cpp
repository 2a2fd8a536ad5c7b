#include "service/Trajrules.h"

#include "common/Helpers.h"
#include "service/Fieldcheck.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int Decimals = 2;

} // namespace

CTrajTexts TrajTexts(const CTrajData& d)
{
    CTrajTexts t;
    for (int s = 0; s < CUnitState::TrajectoryCount; ++s) {
        const CTrajectory& tr = d.sets[s];
        CTrajSetTexts& st = t.sets[s];
        st.lastIndex = tr.lastIndex;
        for (int p = 0; p < CTrajectory::Points; ++p) {
            st.load[p] = FloatToText(tr.load[p], Decimals);
            st.tune[p] = FloatToText(tr.tune[p], Decimals);
            st.delay[p] = d.perPoint ? FloatToText(tr.values[p], Decimals) : "";
        }
    }
    t.loadMin = FloatToText(d.loadMin, Decimals);
    t.loadMax = FloatToText(d.loadMax, Decimals);
    t.tuneMin = FloatToText(d.tuneMin, Decimals);
    t.tuneMax = FloatToText(d.tuneMax, Decimals);
    t.perPoint = d.perPoint;
    t.selected = ValidTrajSet(d.active);
    return t;
}

bool ParseTrajTexts(const CTrajTexts& t, CTrajData& d, std::string& error)
{
    CFieldCheck f;
    CTrajData out = d;
    const double noLimit = std::numeric_limits<double>::max();
    for (int s = 0; s < CUnitState::TrajectoryCount; ++s) {
        const CTrajSetTexts& st = t.sets[s];
        CTrajectory& tr = out.sets[s];
        tr.lastIndex = std::clamp(st.lastIndex, 0, CTrajectory::Points - 1);
        for (int p = 0; p < CTrajectory::Points; ++p) {
            const std::string name = "Set " + std::to_string(s + 1) + " point " +
                                     (p == 0 ? std::string("Init") : std::to_string(p));
            f.Double(name + " Load (%)", st.load[p], 0, 100, tr.load[p]);
            f.Double(name + " Tune (%)", st.tune[p], 0, 100, tr.tune[p]);
            if (t.perPoint)
                f.Double(name + " delay (s)", st.delay[p], 0, noLimit, tr.values[p]);
        }
    }
    f.Double("Load min (%)", t.loadMin, 0, 100, out.loadMin);
    f.Double("Load max (%)", t.loadMax, 0, 100, out.loadMax);
    f.Double("Tune min (%)", t.tuneMin, 0, 100, out.tuneMin);
    f.Double("Tune max (%)", t.tuneMax, 0, 100, out.tuneMax);
    if (!f.Ok()) {
        error = f.Error();
        return false;
    }
    out.perPoint = t.perPoint;
    out.active = ValidTrajSet(t.selected);
    d = out;
    return true;
}

bool TrajPointEditable(int point, int lastIndex) { return point == 0 || point <= lastIndex; }

bool TrajDelayEditable(int point, int lastIndex, bool perPoint)
{
    return perPoint && TrajPointEditable(point, lastIndex);
}

int ValidTrajSet(int index) { return index >= 0 && index < CUnitState::TrajectoryCount ? index : 0; }
