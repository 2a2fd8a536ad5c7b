#pragma once
// The Tarvo export: the sample history as a Tarvo text file for an outside analysis tool, with
// R, X and delivered power turned into RF voltage, RF current and impedance phase. Numbers are
// written with '.' whatever the locale.

#include <string>

class CDataMem;
class CDataRec;

struct CTarvoStamp {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
    // "y,m,d,h,n,s" without leading zeros.
    std::string Text() const;
    static CTarvoStamp Now();
};

class CTarvo {
public:
    // The stored constant the phase is scaled with in place of 1/pi.
    static constexpr double InversePi = 0.318309891613572;

    struct Derived {
        double I = 0; // RF current
        double V = 0; // RF voltage
        double Phase = 0; // degrees
    };
    static Derived Derive(double r, double x, double p);

    // The whole file, lines ending in CR LF.
    static std::string Write(const CDataMem& history, const CTarvoStamp& stamp);
    // One sample line, without its line end; time is ms since the first sample.
    static std::string SampleLine(const CDataRec& rec, long long time);
};
