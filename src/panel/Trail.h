#pragma once
// The trail of the Smith chart and Capacitors windows: which stored samples a full paint draws,
// when a new sample only extends the drawing and when the window repaints instead, and the pen
// that joins one sample to the next. The windows draw through a sink; the rules stay here.

struct SPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const SPoint&) const = default;
};

// Where one sample goes on a chart.
struct STracePoint {
    bool Valid = false; // false: the sample has no place (a value that is not a finite number)
    int X = 0;
    int Y = 0;
    bool Joined = true; // false: never joined by a line to its neighbours
};

// Receives the pen moves of a trace.
class ITraceSink {
public:
    virtual ~ITraceSink() = default;
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
};

class CTrail {
public:
    static constexpr int All = 0;                // the Samples value that draws every sample
    static constexpr int MenuValues[] = {1, 10, 100, All}; // the "Samples" items in menu order
    static constexpr int RepaintDivisor = 5;     // repaint when the start moved by a fifth

    // What an incremental update does.
    enum class EUpdate {
        Nothing,    // no sample
        Repaint,    // the trail start moved too far: paint the window again
        Extend,     // join the newest sample to the trail and move the marker to it
        MoveMarker, // a trail of one: only the marker moves to the newest sample
    };

    // First sample of a full paint: 0 for all samples, else the newest samples ones; never one
    // before runStart, the first sample of the unit connected now (a new unit starts a new
    // trail instead of being joined to the last one's).
    static int Start(int samples, int count, int runStart = 0);
    // The rule of an incremental update with count samples stored.
    static EUpdate Update(int samples, int count, int trailStart, int runStart = 0);
    // True for 1, 10, 100 and All.
    static bool ValidSamples(int samples);

    // --- state of the drawing ----------------------------------------------------------------
    int TrailStart = 0;
    bool PenDown = false;
    SPoint Last;           // the last plotted sample
    bool HasLast = false;  // a sample has been plotted since the last full paint
    SPoint Marker;         // where the marker is drawn
    bool MarkerShown = false;

    // A full paint begins: the trail start for count samples, the pen up, no point yet.
    void Begin(int samples, int count, int runStart = 0);
    // Plots one sample: a line to it while the pen is down, else a move; it becomes the last
    // point. A point that is not valid only lifts the pen.
    void Plot(const STracePoint& p, ITraceSink& sink);
};

// A chart coordinate to a pixel, truncated toward zero. Coordinates far outside any window are
// held at a million pixels, so that a point near a pole of the mapping still draws off screen
// instead of overflowing.
int TruncPixel(double v);
