#pragma once
// One step of a calibration sequence. Each kind is named after its script keyword at
// construction (the name is never edited), archives its fields after the named part, and
// reads its parameters from a script. Every accessor takes the application state lock.

#include "model/NamedObject.h"

#include <cstdint>
#include <string>

class CContactClosures;
class CSequence;
class TokenStream;

class CStep : public CNamedObject {
public:
    // Steps are written with schema 1 and read with the same layout whatever a file holds.
    static constexpr unsigned kSchema = 1;

    explicit CStep(const char* keyword);
    // Copies the name, the ID and the owner.
    CStep(const CStep& other);
    CStep& operator=(const CStep&) = delete;

    unsigned GetSchema() const override { return kSchema; }
    // The named part, then the kind's fields in their fixed order.
    void Serialize(CArchive& ar) override;
    CStep* Clone() const override = 0;

    // Whether the kind has parameters to edit.
    virtual bool IsEditable() const { return false; }
    // The display text, or with TEXT_SCRIPT the script text (TEXT_STEP_NAMES: see the
    // duration step). The plain step shows its name either way.
    virtual std::string GetText(unsigned flags) const;
    // Reads the parameters after the step keyword (the current token) and one token more.
    // False when the parameters are wrong; the stream has then noted the syntax error.
    virtual bool Parse(TokenStream& ts) = 0;

    CSequence* GetOwner() const;
    void SetOwner(CSequence* owner);

    // A new step with its defaults for a step keyword of the script ("DELAY" and "DURATION"
    // both make a duration step), or null for any other token code.
    static CStep* Create(int keywordCode);
    // Makes every step kind known to the archive.
    static void RegisterClasses();

    // Reads a closure set of a width, the token after the keyword being current: "DISABLED"
    // or a string of at most width '0'/'1' digits, then one token more. Otherwise the token
    // is noted, the next one read, and the result is false.
    static bool ReadClosures(TokenStream& ts, CContactClosures& set, int width);

protected:
    // The kind's own fields, after the named part.
    virtual void SerializeFields(CArchive&) {}

    // Shared readers: each leaves the token after what it read current; on failure the
    // offending token has been noted.
    static bool ReadNumber(TokenStream& ts, double& value);
    // The current token as a number a 32-bit float field can hold and the script can write
    // back (no infinity or NaN).
    static bool CurrentNumber(const TokenStream& ts, double& value);
    static void ArchiveFloat(CArchive& ar, float& value);

private:
    CSequence* m_owner = nullptr;
};
