#include "model/token_refs.h"

#include <algorithm>

namespace qm::model {

void TokenRefs::push_back(const Token* token)
{
    if (m_capacity == 0) {
        if (token) {
            if (m_size == 0) {
                m_refs.run = token;
                m_size = 1;
                return;
            }
            if (token == m_refs.run + m_size) {
                ++m_size;
                return;
            }
        }
        growTo(std::max<std::size_t>(4, std::size_t{m_size} * 2));
    } else if (m_size == m_capacity) {
        growTo(std::size_t{m_capacity} * 2);
    }
    m_refs.array[m_size++] = token;
}

void TokenRefs::append(TokenRefsView tokens)
{
    if (tokens.empty()) return;
    if (m_capacity == 0 && tokens.isStretch() && tokens.stretchStart()
        && (m_size == 0 || tokens.stretchStart() == m_refs.run + m_size)) {
        if (m_size == 0) m_refs.run = tokens.stretchStart();
        m_size += static_cast<std::uint32_t>(tokens.size());
        return;
    }
    if (m_size == 0 && m_capacity == 0) {
        // A copy: a stretch when the tokens are consecutive, else an array of just their number.
        bool consecutive = tokens.front() != nullptr;
        for (std::size_t i = 1; consecutive && i < tokens.size(); ++i) {
            consecutive = tokens[i] == tokens.front() + i;
        }
        if (consecutive) {
            m_refs.run = tokens.front();
            m_size = static_cast<std::uint32_t>(tokens.size());
            return;
        }
        growTo(tokens.size());
    }
    for (const Token* token : tokens) push_back(token);
}

void TokenRefs::dropFront(std::size_t count) noexcept
{
    assert(count <= m_size);
    if (m_capacity == 0) {
        if (count < m_size) m_refs.run += count;
    } else {
        std::copy(m_refs.array + count, m_refs.array + m_size, m_refs.array);
    }
    truncate(m_size - count);
}

void TokenRefs::growTo(std::size_t capacity)
{
    assert(capacity <= UINT32_MAX && capacity > m_size);
    auto* array = new const Token*[capacity];
    const TokenRefsView old = view();
    std::copy(old.begin(), old.end(), array);
    release();
    m_refs.array = array;
    m_capacity = static_cast<std::uint32_t>(capacity);
}

}  // namespace qm::model
