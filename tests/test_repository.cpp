#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

std::string name_of(int i) {
    return "name" + std::to_string(i);
}

void fill(c_repository<>& repository, int count) {
    for (int i = 0; i < count; ++i)
        repository.add(name_of(i), "value" + std::to_string(i));
}

TEST(Repository, KeepsOrderAndReplacesInPlace) {
    c_repository<> r;
    r.add("b", "1");
    r.add("a", "2");
    r.add("c", "3");
    r.add("a", "new");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r.name_at(0), "b");
    EXPECT_EQ(r.name_at(1), "a");
    EXPECT_EQ(r.name_at(2), "c");
    EXPECT_EQ(r.value_at(1), "new");
    ASSERT_NE(r.find("a"), nullptr);
    EXPECT_EQ(*r.find("a"), "new");
}

TEST(Repository, ComparesNamesExactly) {
    c_repository<int> r;
    r.add("ab", 1);
    r.add("", 2);
    EXPECT_EQ(r.find("a"), nullptr);
    EXPECT_EQ(r.find("abc"), nullptr);
    EXPECT_EQ(r.find("AB"), nullptr);
    ASSERT_NE(r.find(""), nullptr);
    EXPECT_EQ(*r.find(""), 2);
}

TEST(Repository, LookupsAgreeOnBothSidesOfTheIndexThreshold) {
    for (int count : {15, 16, 17, 100}) {
        SCOPED_TRACE(count);
        c_repository<> r;
        fill(r, count);
        for (int i = 0; i < count; ++i) {
            const std::string* value = r.find(name_of(i));
            ASSERT_NE(value, nullptr) << i;
            EXPECT_EQ(*value, "value" + std::to_string(i));
        }
        EXPECT_EQ(r.find(name_of(count)), nullptr);
        EXPECT_EQ(r.find("name"), nullptr);

        r.add(name_of(3), "replaced");
        r.add("late", "added");
        EXPECT_EQ(r.size(), static_cast<std::size_t>(count) + 1);
        EXPECT_EQ(*r.find(name_of(3)), "replaced");
        EXPECT_EQ(r.name_at(3), name_of(3));
        EXPECT_EQ(*r.find("late"), "added");
        EXPECT_EQ(r.name_at(count), "late");
    }
}

TEST(Repository, ValuesKeepTheirAddressesAcrossGrowthAndReplacement) {
    c_repository<> r;
    r.add("kept", "original");
    const std::string* original = r.find("kept");
    fill(r, 200);
    EXPECT_EQ(r.find("kept"), original);

    r.add("kept", "second");
    EXPECT_EQ(*original, "original");  // a reader may still be reading the replaced text
    EXPECT_EQ(*r.find("kept"), "second");
    EXPECT_NE(r.find("kept"), original);
}

TEST(Repository, ClearForgetsEverythingAndTheTableIsReusable) {
    c_repository<> r;
    fill(r, 40);
    r.clear();
    EXPECT_TRUE(r.empty());
    EXPECT_EQ(r.find(name_of(1)), nullptr);
    fill(r, 20);
    EXPECT_EQ(*r.find(name_of(19)), "value19");
    EXPECT_EQ(r.find(name_of(20)), nullptr);
}

TEST(Repository, CopiesAreDeepAndIndependent) {
    for (int count : {3, 40}) {
        SCOPED_TRACE(count);
        auto source = std::make_unique<c_repository<>>();
        fill(*source, count);
        c_repository<> copy(*source);
        c_repository<> assigned;
        assigned.add("stale", "x");
        assigned = *source;
        source->add(name_of(0), "changed in source");
        source.reset();  // the copies' indexes must not view the source's names

        for (const c_repository<>* r : {&copy, &assigned}) {
            ASSERT_EQ(r->size(), static_cast<std::size_t>(count));
            EXPECT_EQ(*r->find(name_of(0)), "value0");
            EXPECT_EQ(*r->find(name_of(count - 1)), "value" + std::to_string(count - 1));
            EXPECT_EQ(r->name_at(1), name_of(1));
        }
        EXPECT_EQ(assigned.find("stale"), nullptr);

        c_repository<>& self = assigned;
        assigned = self;
        EXPECT_EQ(assigned.size(), static_cast<std::size_t>(count));
        EXPECT_EQ(*assigned.find(name_of(2)), "value2");
    }
}

}  // namespace
