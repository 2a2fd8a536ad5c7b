#pragma once
// How the device object reaches the controller above it. The controller installs these on its
// CDevice; tests install scripted ones. With none installed a device is not in demo mode, runs
// every command directly on its link, and has no tuning-model load.

class CDevice;

// The controller's transaction step: marks the status frame busy, runs the command with
// device.LinkTransact(command, ignoreCsr), reacts to a lost connection, and shows the result.
// Returns the result convention (with ignoreCsr a CSR already counts as 0).
class ITransactStep {
public:
    virtual ~ITransactStep() = default;
    virtual int Transact(CDevice& device, int command, bool ignoreCsr) = 0;
};

// The controller's demo flag.
class IDemoFlag {
public:
    virtual ~IDemoFlag() = default;
    virtual bool IsDemo() const = 0;
};

// The load that the tuning-model window simulates in demo mode.
class IModelLoad {
public:
    virtual ~IModelLoad() = default;
    // True while the tuning-model window is shown.
    virtual bool ModelWindowShown() const = 0;
    virtual double LoadR() const = 0;
    virtual double LoadX() const = 0;
};
