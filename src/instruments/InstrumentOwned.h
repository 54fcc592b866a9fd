#pragma once
// Objects in an instrument's lists that point back to it (DAS channels, sequences). A copied
// instrument repoints the back pointers of its copied elements to itself; a disconnect lets
// each forget what it learnt on the link.

class CInstrumentConnection;

class InstrumentOwned {
public:
    virtual ~InstrumentOwned() = default;
    virtual void SetOwnerInstrument(CInstrumentConnection* owner) = 0;
    // Run-time state of the link (downloaded records and the like), dropped at disconnect.
    virtual void ResetRunTimeState() {}
};
