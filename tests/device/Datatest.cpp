// Sample records and the sample history.

#include "device/Data.h"
#include "device/Datamem.h"
#include "device/Datarec.h"
#include "device/Unitstate.h"

#include <gtest/gtest.h>

namespace {

TEST(DataRec, ValuesByIdShareSlots)
{
    CDataRec rec;
    const int stored[] = {1, 2, 3, 4, 7, 8, 9, 10, 11, 12, 13, 14, 15, 19, 20, 21, 22};
    for (int id : stored) {
        rec.SetValue(id, id * 1.5);
        EXPECT_FLOAT_EQ(rec.Value(id), id * 1.5f) << id;
    }
    // Slot sharing: 7/12, 8/10, 9/15.
    rec.SetValue(12, 0.25);
    EXPECT_FLOAT_EQ(rec.Value(7), 0.25f);
    rec.SetValue(10, 3.5);
    EXPECT_FLOAT_EQ(rec.Value(8), 3.5f);
    rec.SetValue(15, 42);
    EXPECT_FLOAT_EQ(rec.Value(9), 42);
    // Derived ids are not stored; unknown ids read 0.
    rec.SetValue(5, 777);
    rec.SetValue(23, 777);
    rec.SetValue(99, 777);
    EXPECT_EQ(rec.Value(99), 0);
    EXPECT_EQ(rec.Value(16), 0); // needs the unit
}

TEST(DataRec, DerivedPowersAndVswr)
{
    struct Case {
        double r, x, p, gamma, fwd, rfl, vswr;
    } cases[] = {
        {50, 0, 100, 0.5, 100, 0, 3},
        {-50, 0, 100, 1.0, 0, 0, 9999},
        {25, 25, 10, 0, 10 * 0.5 * ((625 + 625 + 2500) / 25.0 * 0.01 + 1), 10 * 0.5 * (1.5 * 0.01 * 100 + 1) - 10, 1},
        {50, 0, 0, 1.2, 0, 0, 9999},
    };
    for (const Case& c : cases) {
        CDataRec rec;
        rec.SetValue(1, c.r);
        rec.SetValue(2, c.x);
        rec.SetValue(3, c.gamma);
        rec.SetValue(4, c.p);
        EXPECT_NEAR(rec.Value(5), c.fwd, 1e-4) << c.r;
        EXPECT_NEAR(rec.Value(6), c.rfl, 1e-4) << c.r;
        EXPECT_NEAR(rec.Value(23), c.vswr, 1e-6) << c.gamma;
    }
}

TEST(DataRec, CapacitancesFromTheUnit)
{
    CUnitState unit;
    CDataRec rec;
    rec.SetValue(13, 25);
    rec.SetValue(14, 50);
    rec.SetValue(15, 100);
    EXPECT_DOUBLE_EQ(rec.Value(16, unit), 250);
    EXPECT_DOUBLE_EQ(rec.Value(17, unit), 500);
    EXPECT_DOUBLE_EQ(rec.Value(18, unit), 1000);
    EXPECT_DOUBLE_EQ(rec.Value(1, unit), 0);
}

TEST(DataRec, Flags)
{
    CDataRec rec;
    struct {
        int id, bit;
    } flags[] = {{30, 2}, {31, 4}, {32, 3}, {33, 0}, {34, 5}, {36, 1}, {37, 9},
                 {39, 10}, {40, 8}, {41, 6}, {42, 12}, {45, 14}};
    for (auto f : flags) {
        rec.SetStatus(1u << f.bit);
        for (auto g : flags)
            EXPECT_EQ(rec.Flag(g.id), g.id == f.id ? 1 : 0) << f.id << " " << g.id;
        EXPECT_EQ(rec.Flag(35), 0);
    }
    rec.SetStatusBytes(0x04030201, 0x10000000);
    EXPECT_EQ(rec.FaultWord(), 0x1000000004030201ull);
}

CDataRec Numbered(int n)
{
    CDataRec r;
    r.SetValue(1, n);
    return r;
}

TEST(DataMem, CapDropsTheOldest500)
{
    CDataMem mem;
    for (int i = 0; i < CDataMem::MaxRecords; ++i)
        ASSERT_FALSE(mem.Append(Numbered(i)));
    EXPECT_EQ(mem.Count(), 100000);
    EXPECT_EQ(mem.Capacity(), 100000);
    EXPECT_TRUE(mem.Append(Numbered(100000))); // the 100,001st
    EXPECT_EQ(mem.Count(), 99501);
    EXPECT_EQ(mem.At(0)->Value(1), 500);       // the former 501st
    EXPECT_EQ(mem.At(99500)->Value(1), 100000);
    // Keeps rolling: 499 more fill it again, the next drops again.
    for (int i = 0; i < 499; ++i)
        ASSERT_FALSE(mem.Append(Numbered(100001 + i)));
    EXPECT_EQ(mem.Count(), 100000);
    EXPECT_TRUE(mem.Append(Numbered(200000)));
    EXPECT_EQ(mem.At(0)->Value(1), 1000);
    EXPECT_EQ(mem.At(mem.Count() - 1)->Value(1), 200000);
    for (int i = 1; i < mem.Count(); i += 997)
        ASSERT_EQ(mem.At(i)->Value(1), mem.At(i - 1)->Value(1) + 1) << i;
}

TEST(DataMem, AtClampsAndGrowsBy500)
{
    CDataMem mem;
    EXPECT_EQ(mem.At(0), nullptr);
    for (int i = 0; i < 501; ++i)
        mem.Append(Numbered(i));
    EXPECT_EQ(mem.Capacity(), 1000);
    EXPECT_EQ(mem.At(-5)->Value(1), 0);
    EXPECT_EQ(mem.At(mem.Count() + 10)->Value(1), 500);
    mem.Clear();
    EXPECT_EQ(mem.Count(), 0);
    EXPECT_EQ(mem.Capacity(), 0);
    EXPECT_EQ(mem.At(3), nullptr);
}

// Memory that runs out keeps the history and drops only the new sample.
class ShortOfMemory : public CDataMem {
public:
    bool fail = false;

protected:
    std::unique_ptr<CDataRec[]> AllocateChunk() override
    {
        return fail ? nullptr : CDataMem::AllocateChunk();
    }
};

TEST(DataMem, FailedAllocationKeepsHistory)
{
    ShortOfMemory mem;
    for (int i = 0; i < 500; ++i)
        mem.Append(Numbered(i));
    mem.fail = true;
    EXPECT_FALSE(mem.Append(Numbered(500)));
    EXPECT_FALSE(mem.LastAppendStored());
    EXPECT_EQ(mem.Count(), 500);
    EXPECT_EQ(mem.At(499)->Value(1), 499);
    mem.fail = false;
    mem.Append(Numbered(501));
    EXPECT_TRUE(mem.LastAppendStored());
    EXPECT_EQ(mem.Count(), 501);
    EXPECT_EQ(mem.At(500)->Value(1), 501);
}

int64_t g_now = 0;
int64_t FakeClock() { return g_now; }

TEST(Data, OneTimeOriginUntilCleared)
{
    CData data(&FakeClock);
    g_now = 1000;
    data.Latest().SetValue(1, 7);
    EXPECT_FALSE(data.Add());
    g_now = 1250;
    data.Latest().SetValue(1, 8);
    data.Add();
    EXPECT_EQ(data.Count(), 2);
    EXPECT_EQ(data.At(0)->Time(), 0);
    EXPECT_EQ(data.At(1)->Time(), 250);
    EXPECT_EQ(data.At(1)->Value(1), 8);
    EXPECT_EQ(data.At(0)->Value(1), 7); // a copy, not the work record
    data.Clear();
    g_now = 5000;
    data.Add();
    EXPECT_EQ(data.At(0)->Time(), 0);
}

TEST(Data, HundredThousandAndOneAdds)
{
    CData data(&FakeClock);
    bool dropped = false;
    for (int i = 0; i <= CDataMem::MaxRecords; ++i) {
        g_now = i;
        data.Latest().SetValue(1, i);
        dropped = data.Add();
    }
    EXPECT_TRUE(dropped);
    EXPECT_EQ(data.Count(), 99501);
    EXPECT_EQ(data.At(0)->Value(1), 500);
    EXPECT_EQ(data.At(0)->Time(), 500); // the origin stays with the first sample ever stored
}

TEST(Data, ARecordKeepsItsSerialNumberWhileTheFrontIsDroppedOrCleared)
{
    CData data(&FakeClock);
    EXPECT_EQ(data.FirstSerial(), 0);
    for (int i = 0; i < CDataMem::MaxRecords; ++i) {
        data.Latest().SetValue(1, i);
        data.Add();
    }
    EXPECT_EQ(data.FirstSerial(), 0);
    data.Latest().SetValue(1, -1);
    ASSERT_TRUE(data.Add()); // the oldest 500 go
    EXPECT_EQ(data.FirstSerial(), CDataMem::Step);
    // Record 1000 (value 1000) is still serial 1000.
    EXPECT_EQ(data.At(int(1000 - data.FirstSerial()))->Value(1), 1000);
    const int64_t next = data.FirstSerial() + data.Count();
    data.Clear();
    EXPECT_EQ(data.FirstSerial(), next); // the next record does not take an old number
    data.AppendAsIs(CDataRec{});
    EXPECT_EQ(data.FirstSerial() + data.Count() - 1, next);
}

} // namespace
