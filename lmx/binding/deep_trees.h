// Copying and destroying trees of bound objects whose classes can nest in themselves, at any
// depth, without recursion: a tree built through the accessors may be far deeper than the stack
// allows. A class that can hold itself gives each of its objects' recursive children to a work
// pile instead of copying or destroying them in place; the pile then handles them one at a time,
// and each gives its own children to the same pile. The generated class provides
//   void copy_members(const T& other, c_deep_copy& copy);   every member, recursive ones queued
//   void release_owned(c_teardown& teardown);                its recursive children handed over
// and befriends both classes.
#ifndef LMX_DEEP_TREES_H
#define LMX_DEEP_TREES_H

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "lmx/binding/owned_pointers.h"

namespace lmx {

class c_teardown {
public:
    // What the destructor of a class that can hold itself runs.
    template <typename T>
    static void run(T& object) noexcept {
        c_teardown teardown;
        teardown.take(object);
        teardown.drain();
    }

    // A recursive child held in place (a by-value member): its own recursive children are taken.
    template <typename T>
    void take(T& member) {
        member.release_owned(*this);
    }
    template <typename T>
    void take(ct_owned<T>& owned) {
        adopt(owned.take());
    }
    template <typename T>
    void take(ct_owned_list<T>& list) {
        for (auto& entry : list.take_entries()) adopt(std::move(entry));
    }

private:
    struct s_entry {
        void* object;
        void (*dismantle)(void* object, c_teardown& teardown);
    };

    template <typename T>
    static void dismantle(void* object, c_teardown& teardown) {
        std::unique_ptr<T> owned(static_cast<T*>(object));
        owned->release_owned(teardown);
    }

    template <typename T>
    void adopt(std::unique_ptr<T> object) {
        if (!object) return;
        if (m_near_count < k_near_capacity) {
            m_near[m_near_count++] = {object.release(), &dismantle<T>};
            return;
        }
        try {
            m_pile.push_back({object.get(), &dismantle<T>});
            object.release();
        } catch (const std::bad_alloc&) {
            // No memory for the pile: the object goes at once, recursing through its children.
        }
    }

    void drain() noexcept {
        for (;;) {
            s_entry entry;
            if (!m_pile.empty()) {
                entry = m_pile.back();
                m_pile.pop_back();
            } else if (m_near_count > 0) {
                entry = m_near[--m_near_count];
            } else {
                return;
            }
            entry.dismantle(entry.object, *this);
        }
    }

    // Most objects hand over a few children: those wait here, so that destroying a tree does
    // not allocate a pile per object.
    static constexpr std::size_t k_near_capacity = 8;
    s_entry m_near[k_near_capacity];
    std::size_t m_near_count = 0;
    std::vector<s_entry> m_pile;
};

class c_deep_copy {
public:
    // What the copy constructor of a class that can hold itself runs; target is a new object.
    // Running out of memory throws std::bad_alloc, as copying a standard container does.
    template <typename T>
    static void run(T& target, const T& source) {
        c_deep_copy copy;
        copy.copy(target, source);
        copy.drain();
    }

    // A recursive child held in place: copied at once, its own recursive children queued.
    template <typename T>
    void copy(T& target, const T& source) {
        target.copy_members(source, *this);
    }
    template <typename T>
    void copy(ct_owned<T>& target, const ct_owned<T>& source) {
        if (!source.exists()) {
            target.release();
            return;
        }
        queue(target.get(), source.get());
    }
    template <typename T>
    void copy(ct_owned_list<T>& target, const ct_owned_list<T>& source) {
        target.clear();
        for (unsigned int index = 0; index < source.size(); ++index)
            queue(target.append_default(), source.at(index));
    }

private:
    struct s_entry {
        void* target;
        const void* source;
        void (*copy_members)(void* target, const void* source, c_deep_copy& copy);
    };

    template <typename T>
    static void copy_one(void* target, const void* source, c_deep_copy& copy) {
        static_cast<T*>(target)->copy_members(*static_cast<const T*>(source), copy);
    }

    // The target's members are copied when its turn comes; until then it is a default object
    // owned by its parent, so a copy cut short by an exception leaks nothing.
    template <typename T>
    void queue(T& target, const T& source) {
        m_pile.push_back({&target, &source, &copy_one<T>});
    }

    void drain() {
        while (!m_pile.empty()) {
            s_entry entry = m_pile.back();
            m_pile.pop_back();
            entry.copy_members(entry.target, entry.source, *this);
        }
    }

    std::vector<s_entry> m_pile;
};

}  // namespace lmx

#endif  // LMX_DEEP_TREES_H
