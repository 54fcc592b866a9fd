#pragma once
// One parameter of a DAS channel: the data point it records, how (mode), with how many
// decimals, and whether samples are stored: what the instrument does now, and what the
// operator wants it to do.

#include "das/Parameter.h"

#include <functional>

class CDASChannel;

class CDASParameter : public CParameter {
public:
    CDASParameter() = default;
    explicit CDASParameter(CDASChannel* channel) : m_channel(channel) {}
    // Copies every field but the records; the copy keeps the channel reference.
    CDASParameter(const CDASParameter& other);

    const char* GetClassName() const override { return "CDASParameter"; }
    unsigned GetSchema() const override { return 1; }
    // The parameter part, then mode, precision, instrument stores samples, store samples.
    void Serialize(CArchive& ar) override;
    CNamedObject* Clone() const override;

    // Script grammar with TEXT_SCRIPT, listing grammar without it. Starts at the current
    // token ("PARAMETER"); on success the token after the parameter is current. A syntax
    // error is noted on the stream at the offending token.
    bool Parse(TokenStream& ts, unsigned flags) override;
    // TEXT_SCRIPT: the script line; otherwise the display text.
    std::string GetText(unsigned flags) const override;
    // The parameter dialog, installed by the GUI; true on OK.
    virtual bool Edit();
    using Editor = std::function<bool(CDASParameter&)>;
    static void SetEditor(Editor editor);

    // Copies the description of the owning instrument's data point of the same name, if any.
    void RefreshDescription();

    CDASChannel* GetChannel() const;
    void SetChannel(CDASChannel* channel);
    std::string GetMode() const;
    void SetMode(const std::string& mode);
    int32_t GetPrecision() const;
    void SetPrecision(int32_t precision);
    bool GetInstrumentStoresSamples() const;
    void SetInstrumentStoresSamples(bool stores);
    bool GetStoreSamples() const;
    void SetStoreSamples(bool store);

    static void RegisterClass();

private:
    bool ParseScript(TokenStream& ts);
    bool ParseListing(TokenStream& ts);

    CDASChannel* m_channel = nullptr;
    std::string m_mode;
    int32_t m_precision = 0;
    bool m_instrumentStoresSamples = false;
    bool m_storeSamples = false;
};
