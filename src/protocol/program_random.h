#pragma once

#include <QtGlobal>

#include <functional>

// The program's one pseudo-random generator: 32-bit linear congruential, seed 0 at start.
// Suggested addresses and the scrambler's random values come from the same sequence, so
// a run that has never scrambled a credential suggests host number 5 first.
class ProgramRandom final
{
public:
    using SeedSource = std::function<quint32()>;

    ProgramRandom();
    explicit ProgramRandom(SeedSource seedSource);

    // The instance the program shares; parts that are not given one use it.
    static ProgramRandom &shared();
    // Low 32 bits of the monotonic clock in nanoseconds.
    static quint32 clockSeed();

    quint32 seed() const { return m_seed; }
    void setSeed(quint32 seed) { m_seed = seed; }
    void setSeedSource(SeedSource source);

    // Next value in 0 .. range - 1 (0 when range is 0).
    quint32 next(quint32 range);
    // Seed from the seed source, then a value in 0 .. 65534: the random word of one
    // scrambled credential block.
    quint16 credentialValue();

private:
    quint32 m_seed = 0;
    SeedSource m_seedSource;
};
