// Choice storage: the chosen option's index and one slot that holds that option's value. Options
// are numbered from 0 in schema order; the alternatives after them mean "skipped" (lenient element
// choices only) and "none". A complex option is held through ct_owned, an empty-element option by
// c_empty_option, a value option as the value itself, so the index and the storage never disagree.
#ifndef LMX_CHOICE_STORAGE_H
#define LMX_CHOICE_STORAGE_H

#include <cstddef>
#include <utility>
#include <variant>

namespace lmx {

struct c_empty_option {};
struct c_skipped_option {};
struct c_no_option {};

template <typename... Alternatives>
class ct_choice {
public:
    ct_choice() : m_slot(std::in_place_index<k_none>) {}

    std::size_t chosen() const { return m_slot.index(); }
    bool is_none() const { return m_slot.index() == k_none; }

    // Frees the previous option's storage and returns the new option's default value.
    template <std::size_t Option>
    auto& select() {
        if (m_slot.index() != Option) m_slot.template emplace<Option>();
        return std::get<Option>(m_slot);
    }
    // A fresh default value for the option, whichever option was chosen before; what a parse
    // selects, so that a second document never merges into the first.
    template <std::size_t Option>
    auto& renew() {
        m_slot.template emplace<Option>();
        return std::get<Option>(m_slot);
    }
    // The option's value; a default one, never changed, while another option is chosen.
    template <std::size_t Option>
    const auto& get() const {
        using value = std::variant_alternative_t<Option, std::variant<Alternatives...>>;
        static const value k_unchosen{};
        const value* held = std::get_if<Option>(&m_slot);
        return held ? *held : k_unchosen;
    }
    // The option's storage while it is chosen, otherwise null.
    template <std::size_t Option>
    auto* held() {
        return std::get_if<Option>(&m_slot);
    }
    // The value in place when the option is chosen, otherwise a fresh default one.
    template <std::size_t Option, typename Value>
    void set(Value&& value) {
        select<Option>() = std::forward<Value>(value);
    }
    void release() { m_slot.template emplace<k_none>(); }
    void swap(ct_choice& other) noexcept { m_slot.swap(other.m_slot); }

    static constexpr std::size_t k_none = sizeof...(Alternatives) - 1;

private:
    std::variant<Alternatives...> m_slot;
};

}  // namespace lmx

#endif  // LMX_CHOICE_STORAGE_H
