// A small ordered name-to-value list (entity tables, namespace prefix tables).
#ifndef LMX_REPOSITORY_H
#define LMX_REPOSITORY_H

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lmx {

// Names are compared exactly, byte for byte; adding a name already present replaces its value.
// Small tables are searched linearly; from k_index_threshold entries on a hash index keeps
// lookups constant-time, so hostile documents with many declarations stay linear.
//
// A stored value keeps its address for the repository's lifetime (until clear()), even when
// its name is given a new value: readers may still be reading the text it replaced.
template <typename Value = std::string>
class c_repository {
public:
    c_repository() = default;
    c_repository(const c_repository& other) { copy_from(other); }
    c_repository& operator=(const c_repository& other) {
        if (this != &other) {
            clear();
            copy_from(other);
        }
        return *this;
    }
    virtual void clear() {
        m_entries.clear();
        // Release the buckets too: clearing keeps them and zeroes them all on every later
        // clear, so one huge table followed by many small ones would cost quadratic time.
        decltype(m_index)().swap(m_index);
        m_replaced.clear();
    }
    virtual ~c_repository() = default;

    void add(std::string_view name, Value value) {
        if (entry* existing = find_entry(name)) {
            m_replaced.push_back(std::move(existing->value));
            existing->value = std::make_unique<Value>(std::move(value));
            return;
        }
        m_entries.push_back(std::make_unique<entry>(
            entry{std::string(name), std::make_unique<Value>(std::move(value))}));
        if (!m_index.empty())
            m_index.emplace(m_entries.back()->name, m_entries.size() - 1);
        else if (m_entries.size() >= k_index_threshold)
            build_index();
    }

    // The stored value, or null.
    const Value* find(std::string_view name) const {
        const entry* found = find_entry(name);
        return found ? found->value.get() : nullptr;
    }

    bool empty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }
    const std::string& name_at(std::size_t i) const { return m_entries[i]->name; }
    const Value& value_at(std::size_t i) const { return *m_entries[i]->value; }

private:
    static constexpr std::size_t k_index_threshold = 16;

    struct entry {
        std::string name;
        std::unique_ptr<Value> value;
    };

    entry* find_entry(std::string_view name) const {
        if (!m_index.empty()) {
            auto it = m_index.find(name);
            return it == m_index.end() ? nullptr : m_entries[it->second].get();
        }
        for (const auto& e : m_entries)
            if (e->name == name) return e.get();
        return nullptr;
    }

    void build_index() {
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            m_index.emplace(m_entries[i]->name, i);
    }

    void copy_from(const c_repository& other) {
        for (const auto& e : other.m_entries)
            add(e->name, *e->value);
    }

    std::vector<std::unique_ptr<entry>> m_entries;
    // Keys view the names owned by m_entries, whose addresses never move.
    std::unordered_map<std::string_view, std::size_t> m_index;
    std::vector<std::unique_ptr<Value>> m_replaced;
};

}  // namespace lmx

#endif  // LMX_REPOSITORY_H
