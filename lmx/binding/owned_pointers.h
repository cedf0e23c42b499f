// Owning holders of bound objects and values: a single heap object created on first need, and an
// ordered list of heap entries. Both copy deeply and swap in constant time, so a bound class that
// holds them gets deep copies and cheap swaps member by member.
#ifndef LMX_OWNED_POINTERS_H
#define LMX_OWNED_POINTERS_H

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "lmx/errors.h"

namespace lmx {

// One heap object that may not exist yet.
template <typename T>
class ct_owned {
public:
    ct_owned() = default;
    ct_owned(const ct_owned& other)
        : m_object(other.m_object ? std::make_unique<T>(*other.m_object) : nullptr) {}
    ct_owned(ct_owned&&) noexcept = default;
    ct_owned& operator=(ct_owned&&) noexcept = default;
    ct_owned& operator=(const ct_owned& other) {
        ct_owned copy(other);
        swap(copy);
        return *this;
    }
    void swap(ct_owned& other) noexcept { m_object.swap(other.m_object); }

    bool exists() const { return m_object != nullptr; }
    // Creates a default object when there is none.
    T& get() {
        if (!m_object) m_object = std::make_unique<T>();
        return *m_object;
    }
    // A default object, shared and never changed, stands for one that does not exist.
    const T& get() const {
        static const T k_absent;
        return m_object ? *m_object : k_absent;
    }
    void release() { m_object.reset(); }
    // Hands the object over, leaving none.
    std::unique_ptr<T> take() { return std::move(m_object); }

private:
    std::unique_ptr<T> m_object;
};

// A value whose default is one shared constant until the value is first set, so that many
// objects that keep their defaults keep one copy of them between them.
template <typename T>
class ct_shared_default {
public:
    explicit ct_shared_default(const T& shared) : m_shared(&shared) {}
    ct_shared_default(const ct_shared_default& other)
        : m_shared(other.m_shared),
          m_own(other.m_own ? std::make_unique<T>(*other.m_own) : nullptr) {}
    ct_shared_default(ct_shared_default&&) noexcept = default;
    ct_shared_default& operator=(ct_shared_default&&) noexcept = default;
    ct_shared_default& operator=(const ct_shared_default& other) {
        ct_shared_default copy(other);
        std::swap(m_shared, copy.m_shared);
        m_own.swap(copy.m_own);
        return *this;
    }
    ct_shared_default& operator=(const T& value) {
        if (m_own)
            *m_own = value;
        else
            m_own = std::make_unique<T>(value);
        return *this;
    }

    const T& get() const { return m_own ? *m_own : *m_shared; }
    operator const T&() const { return get(); }
    // The value to fill in place, empty.
    T& fresh() {
        if (m_own)
            m_own->clear();
        else
            m_own = std::make_unique<T>();
        return *m_own;
    }
    void restore_default() { m_own.reset(); }

private:
    const T* m_shared;
    std::unique_ptr<T> m_own;
};

// Entries live on the heap, so a reference to one stays valid while others are added or removed;
// growth is amortised constant time.
template <typename T>
class ct_owned_list {
public:
    ct_owned_list() = default;
    ct_owned_list(const ct_owned_list& other) {
        m_entries.reserve(other.m_entries.size());
        for (const auto& entry : other.m_entries)
            m_entries.push_back(std::make_unique<T>(*entry));
    }
    ct_owned_list(ct_owned_list&&) noexcept = default;
    ct_owned_list& operator=(ct_owned_list&&) noexcept = default;
    ct_owned_list& operator=(const ct_owned_list& other) {
        ct_owned_list copy(other);
        swap(copy);
        return *this;
    }
    void swap(ct_owned_list& other) noexcept { m_entries.swap(other.m_entries); }

    unsigned int size() const { return static_cast<unsigned int>(m_entries.size()); }
    bool empty() const { return m_entries.empty(); }
    // Requires index < size().
    const T& at(unsigned int index) const { return *m_entries[index]; }
    T& at(unsigned int index) { return *m_entries[index]; }
    // Appends default entries until the index exists.
    T& grow_to(unsigned int index) {
        while (m_entries.size() <= index)
            m_entries.push_back(std::make_unique<T>());
        return *m_entries[index];
    }
    T& back() { return *m_entries.back(); }
    const T& back() const { return *m_entries.back(); }

    // max_occurs 0 means unbounded.
    elmx_error append(T value, unsigned int max_occurs = 0) {
        if (is_full(max_occurs)) return ELMX_MAX_OCCURS_EXCEEDED;
        m_entries.push_back(std::make_unique<T>(std::move(value)));
        return ELMX_OK;
    }
    // Before the entry at index, or at the end when index is past it.
    elmx_error insert(unsigned int index, T value, unsigned int max_occurs = 0) {
        if (is_full(max_occurs)) return ELMX_MAX_OCCURS_EXCEEDED;
        auto entry = std::make_unique<T>(std::move(value));
        if (index < m_entries.size())
            m_entries.insert(m_entries.begin() + index, std::move(entry));
        else
            m_entries.push_back(std::move(entry));
        return ELMX_OK;
    }
    // Replaces the entry at index, or appends when index is past the end.
    elmx_error set(unsigned int index, T value) {
        if (index < m_entries.size()) {
            *m_entries[index] = std::move(value);
            return ELMX_OK;
        }
        return append(std::move(value));
    }
    // Appends a default entry and returns it; for the parse, which has no maxOccurs limit.
    T& append_default() {
        m_entries.push_back(std::make_unique<T>());
        return *m_entries.back();
    }
    // Requires index < size().
    void erase(unsigned int index) { m_entries.erase(m_entries.begin() + index); }
    void clear() { m_entries.clear(); }
    // Hands every entry over, leaving the list empty.
    std::vector<std::unique_ptr<T>> take_entries() {
        std::vector<std::unique_ptr<T>> entries;
        entries.swap(m_entries);
        return entries;
    }

    bool is_full(unsigned int max_occurs) const {
        return max_occurs != 0 && m_entries.size() >= max_occurs;
    }

private:
    std::vector<std::unique_ptr<T>> m_entries;
};

}  // namespace lmx

#endif  // LMX_OWNED_POINTERS_H
