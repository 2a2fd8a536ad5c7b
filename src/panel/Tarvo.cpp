#include "panel/Tarvo.h"

#include "common/Helpers.h"
#include "device/Datamem.h"

#include <cmath>
#include <ctime>

namespace {

constexpr const char* LineEnd = "\r\n";
constexpr int Decimals = 6;

std::string Fixed(double value) { return FloatToText(value, Decimals, '.'); }

} // namespace

std::string CTarvoStamp::Text() const
{
    return std::to_string(Year) + "," + std::to_string(Month) + "," + std::to_string(Day) + ","
           + std::to_string(Hour) + "," + std::to_string(Minute) + "," + std::to_string(Second);
}

CTarvoStamp CTarvoStamp::Now()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

CTarvo::Derived CTarvo::Derive(double r, double x, double p)
{
    Derived d;
    d.I = r > 0 ? std::sqrt(std::fabs(p / r)) : 0.0;
    d.V = std::sqrt(r * r + x * x) * d.I;
    // Both zero: 0, not the signed zero that atan2 gives for a negative zero.
    d.Phase = (r == 0 && x == 0) ? 0.0 : std::atan2(x, r) * 180.0 * InversePi;
    return d;
}

std::string CTarvo::SampleLine(const CDataRec& rec, long long time)
{
    const Derived d = Derive(rec.Value(varid::R), rec.Value(varid::X),
                             rec.Value(varid::DeliveredPower));
    std::string line = std::to_string(time);
    auto add = [&line](const std::string& field) {
        line += ',';
        line += field;
    };
    add(Fixed(d.V));
    add(Fixed(rec.Value(varid::LoadPosition)));
    add(Fixed(rec.Value(varid::TunePosition)));
    add(Fixed(rec.Value(varid::ThirdCapPosition))); // the slot shared with P load
    add(Fixed(rec.Value(varid::CurrentRatio)));     // shared with R load
    add(Fixed(rec.Value(varid::Current1)));         // shared with X load
    add(Fixed(d.I));
    for (int i = 0; i < 4; ++i)
        add("0");
    add(Fixed(rec.Value(varid::Current2)));
    add(Fixed(d.Phase));
    for (int i = 0; i < 5; ++i)
        add("0");
    return line;
}

std::string CTarvo::Write(const CDataMem& history, const CTarvoStamp& stamp)
{
    const std::string when = stamp.Text();
    const char* fixedLines[] = {";Tarvo", ";FileVer=0", ";Tarvo"};
    std::string out;
    out.reserve(size_t(history.Count()) * 150 + 512);
    for (const char* l : fixedLines)
        out += std::string(l) + LineEnd;
    out += ";Document=0," + when + LineEnd;
    for (const char* l : {";Comment", ";EndOfComment", ";ProbeSN=0.0.0.0.0.0", ";Timer=0",
                          ";Average=100", ";Run=1", ";Operator=Unknown", ";Tool=Unknown",
                          ";Recipe=Unknown", ";Batch=Unknown", ";Freqs=6", ";DataSets=1,0",
                          ";Freq=0,13560,1", ";Freq=0,1,1", ";Freq=0,1,2", ";Freq=0,1,3",
                          ";Freq=0,1,4", ";Freq=0,3,1"})
        out += std::string(l) + LineEnd;
    out += ";Data=0,-1,6," + when + LineEnd;
    const int count = history.Count();
    const long long origin = count > 0 ? history.At(0)->Time() : 0;
    for (int i = 0; i < count; ++i) {
        const CDataRec& rec = *history.At(i);
        out += SampleLine(rec, rec.Time() - origin);
        out += LineEnd;
    }
    return out;
}
