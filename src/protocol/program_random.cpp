#include "protocol/program_random.h"

#include <chrono>

ProgramRandom::ProgramRandom()
    : m_seedSource(&ProgramRandom::clockSeed)
{
}

ProgramRandom::ProgramRandom(SeedSource seedSource)
    : m_seedSource(seedSource ? std::move(seedSource) : SeedSource(&ProgramRandom::clockSeed))
{
}

ProgramRandom &ProgramRandom::shared()
{
    static ProgramRandom instance;
    return instance;
}

quint32 ProgramRandom::clockSeed()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return quint32(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

void ProgramRandom::setSeedSource(SeedSource source)
{
    m_seedSource = source ? std::move(source) : SeedSource(&ProgramRandom::clockSeed);
}

quint32 ProgramRandom::next(quint32 range)
{
    m_seed = m_seed * 134775813u + 1u;
    return quint32((quint64(m_seed) * range) >> 32);
}

quint16 ProgramRandom::credentialValue()
{
    m_seed = m_seedSource();
    return quint16(next(65535));
}
