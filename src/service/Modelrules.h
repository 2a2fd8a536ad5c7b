#pragma once
// The model dialog's rules without the window: the texts of the network model's parameters and
// of the two capacitor ranges, and storing edited texts back into the unit's model.

#include <string>

class CUnitState;

struct SModelTexts {
    std::string Freq; // MHz, 3 decimals
    std::string Lsh;  // nH, whole numbers from here on
    std::string Cpar; // pF
    std::string Lser; // nH
    std::string Cout; // pF
    std::string TLsh; // nH
    std::string TCpar; // pF
    int Page = 0;     // the network type: 0 "L", 1 "T"
    std::string LoadRange; // "min...max pF" of the Load capacitor
    std::string TuneRange; // the same for the Tune capacitor
};

class CModelRules {
public:
    static constexpr int FreqDecimals = 3;
    static constexpr int ValueDecimals = 0;

    static SModelTexts Texts(const CUnitState& unit);
    // Every parameter from its text (0 where the text is not a number), in the order Freq,
    // Cpar, Cout, Lsh, Lser, TCpar, TLsh, then the network type from the page.
    static void Store(const SModelTexts& texts, CUnitState& unit);
    // CapToPf at 0 % and 100 %, whole numbers: "10...1000 pF".
    static std::string RangeText(const CUnitState& unit, int cap);
};
