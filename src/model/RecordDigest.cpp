#include "model/RecordDigest.h"

#include <xxhash.h>

struct RecordDigester::State
{
    XXH3_state_t* xxh = XXH3_createState();
    ~State() { XXH3_freeState(xxh); }
};

RecordDigest RecordDigest::of(QByteArrayView bytes)
{
    const XXH128_hash_t h = XXH3_128bits(bytes.data(), size_t(bytes.size()));
    return {bytes.size(), h.low64, h.high64};
}

RecordDigester::RecordDigester() : m_state(std::make_unique<State>())
{
    Q_CHECK_PTR(m_state->xxh);
    XXH3_128bits_reset(m_state->xxh);
}

RecordDigester::~RecordDigester() = default;

void RecordDigester::add(QByteArrayView bytes)
{
    XXH3_128bits_update(m_state->xxh, bytes.data(), size_t(bytes.size()));
    m_size += bytes.size();
}

RecordDigest RecordDigester::result() const
{
    const XXH128_hash_t h = XXH3_128bits_digest(m_state->xxh);
    return {m_size, h.low64, h.high64};
}
