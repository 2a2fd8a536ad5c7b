#pragma once
// The display settings dialog without its controls: the variables offered, the one being
// edited, the texts of its row and applying the sizes, the RF-on option and the row.

#include "device/Var.h"
#include "panel/Item.h"

#include <string>
#include <vector>

class IPaneSource;

struct SVarFormatText {
    std::string Min;
    std::string Max;
    int Decimals = 0;
};

class CDisplayEdit {
public:
    static constexpr int MaxDecimals = CVars::MaxDecimals;

    explicit CDisplayEdit(IPaneSource* source) : source_(source) {}

    // Set by the caller before showing.
    std::vector<int> VarIds;
    int CurrentVarId = -1;

    // Short names of VarIds in order, and the index to select: that of CurrentVarId, or 0 when
    // it is not offered (CurrentVarId then becomes the first id).
    std::vector<std::string> VarNames() const;
    int SelectFirst();
    // The combo box chose entry index.
    void Select(int index);
    // The current variable's row as texts (numbers in their shortest general form).
    SVarFormatText CurrentFormat() const;
    // Stores min, max (text to double: either separator, 0 when it does not parse) and the
    // decimals (kept within 0..10) into the current variable's row.
    void ApplyFormat(const std::string& minText, const std::string& maxText, int decimals);
    // Sizes kept within their ranges.
    static CItemStyle ClampedStyle(int valueFont, int barFont, int plotFont, int plotSize);

    static std::string GeneralText(double v);

private:
    IPaneSource* source_;
};
