// The order record of an xs:all group: which items are present and in which order they were set or
// parsed, which is also the order in which they are written.
#ifndef LMX_ORDER_RECORD_H
#define LMX_ORDER_RECORD_H

#include <array>
#include <cstdint>
#include <type_traits>

namespace lmx {

// Item is the class's elmx_all enumeration; Count the number of items of the group.
template <typename Item, unsigned int Count>
class ct_order_record {
public:
    static const unsigned int k_absent = 4294967295u;

    unsigned int size() const { return m_used; }
    // Requires position < size().
    Item at(unsigned int position) const { return static_cast<Item>(m_items[position]); }
    unsigned int position_of(Item item) const {
        for (unsigned int i = 0; i < m_used; ++i)
            if (m_items[i] == static_cast<t_slot>(item)) return i;
        return k_absent;
    }
    bool contains(Item item) const { return position_of(item) != k_absent; }
    // Appends the item unless it is already recorded, keeping its place then.
    void add(Item item) {
        if (!contains(item)) m_items[m_used++] = static_cast<t_slot>(item);
    }
    // Removes the item and moves the later entries down one place.
    void remove(Item item) {
        const unsigned int position = position_of(item);
        if (position == k_absent) return;
        for (unsigned int i = position + 1; i < m_used; ++i)
            m_items[i - 1] = m_items[i];
        --m_used;
    }
    void clear() { m_used = 0; }

private:
    // Items are numbered from 0, so a byte holds each in all but the largest groups: an object
    // of a class with an xs:all group of 21 items keeps 21 bytes here instead of 84.
    using t_slot = std::conditional_t<(Count <= 256), std::uint8_t, unsigned int>;
    std::array<t_slot, Count> m_items{};
    unsigned int m_used = 0;
};

}  // namespace lmx

#endif  // LMX_ORDER_RECORD_H
