#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "lmx/runtime.h"

namespace {

using namespace lmx;

// ---- the namespace registry ----

TEST(EnumeratedNamespaces, KnowsTheXmlAndSchemaInstanceUris) {
    c_enumerated_namespaces ns;
    EXPECT_EQ(ns.find_namespace("http://www.w3.org/XML/1998/namespace"), 2);
    EXPECT_EQ(ns.find_namespace("http://www.w3.org/2001/XMLSchema-instance"), 5);
    EXPECT_STREQ(ns.find_namespace_from_id(2), "http://www.w3.org/XML/1998/namespace");
    EXPECT_STREQ(ns.find_namespace_from_id(5), "http://www.w3.org/2001/XMLSchema-instance");
    EXPECT_EQ(ns.find_namespace("http://www.w3.org/2001/XMLSchema"), 0);
    EXPECT_EQ(ns.find_namespace_from_id(3), nullptr);
    EXPECT_EQ(ns.find_namespace_from_id(1000), nullptr);
}

TEST(EnumeratedNamespaces, HandsOutIdsInOrderOfFirstAppearance) {
    c_enumerated_namespaces ns;
    EXPECT_EQ(ns.add_namespace("urn:a"), 1000);
    EXPECT_EQ(ns.add_namespace("urn:b"), 1001);
    EXPECT_EQ(ns.add_namespace("urn:a"), 1000);
    EXPECT_EQ(ns.add_namespace("http://www.w3.org/2001/XMLSchema-instance"), 5);
    EXPECT_EQ(ns.find_namespace("urn:b"), 1001);
    EXPECT_STREQ(ns.find_namespace_from_id(1001), "urn:b");

    ns.clear();
    EXPECT_EQ(ns.find_namespace("urn:a"), 0);
    EXPECT_EQ(ns.find_namespace("http://www.w3.org/XML/1998/namespace"), 2);
    EXPECT_EQ(ns.add_namespace("urn:c"), 1000);
}

TEST(EnumeratedNamespaces, GivenIdsKeepTheFirstAndMoveTheNextFreeIdPastThem) {
    c_enumerated_namespaces ns;
    ns.add_namespace("urn:target", 1000);
    EXPECT_EQ(ns.add_namespace("urn:seen"), 1001);

    ns.add_namespace("urn:seen", 1500);
    EXPECT_EQ(ns.find_namespace("urn:seen"), 1001);
    EXPECT_EQ(ns.add_namespace("urn:next"), 1501);

    ns.add_namespace("urn:low", 1200);  // below the next free id: it stays where it is
    EXPECT_EQ(ns.find_namespace("urn:low"), 1200);
    EXPECT_EQ(ns.add_namespace("urn:after"), 1502);

    ns.add_namespace("urn:twin", 1000);  // an id shared by two URIs names the first
    EXPECT_STREQ(ns.find_namespace_from_id(1000), "urn:target");
    EXPECT_EQ(ns.find_namespace("urn:twin"), 1000);
}

TEST(EnumeratedNamespaces, EmptyUriIsNoNamespaceAndIdsAreNeverShared) {
    c_enumerated_namespaces ns;
    EXPECT_EQ(ns.add_namespace(""), 1);
    EXPECT_STREQ(ns.find_namespace_from_id(1), "");

    ns.add_namespace("urn:last", INT_MAX);
    EXPECT_EQ(ns.add_namespace("urn:one"), 0);
    EXPECT_EQ(ns.find_namespace("urn:one"), 0);
    EXPECT_EQ(ns.find_namespace("urn:last"), INT_MAX);
}

// ---- scopes ----

TEST(NamespaceScope, InnerRebindingHidesTheOuterOneUntilItsScopeEnds) {
    c_xml_local outer;
    outer.add_namespace("p", 1000);
    outer.add_namespace("", 1001);
    {
        c_xml_local inner(outer);
        EXPECT_EQ(inner.get_parent(), &outer);
        EXPECT_EQ(inner.find_namespace_id("p"), 1000);
        inner.add_namespace("p", 1002);
        EXPECT_EQ(inner.find_namespace_id("p"), 1002);
        EXPECT_EQ(inner.find_namespace_id(""), 1001);
        c_xml_local innermost(inner);
        EXPECT_EQ(innermost.find_namespace_id("p"), 1002);
    }
    EXPECT_EQ(outer.find_namespace_id("p"), 1000);
    EXPECT_EQ(outer.find_namespace_id("q"), 0);
    EXPECT_EQ(c_xml_local().find_namespace_id(""), 0);
}

TEST(NamespaceScope, XmlPrefixIsAlwaysTheXmlNamespace) {
    c_xml_local scope;
    EXPECT_EQ(scope.find_namespace_id("xml"), 2);
    scope.add_namespace("xml", 1000);
    EXPECT_EQ(scope.find_namespace_id("xml"), 2);
    EXPECT_STREQ(scope.find_namespace_prefix(2), "xml");
    EXPECT_EQ(scope.find_namespace_prefix(1000), nullptr);
}

TEST(NamespaceScope, ClearDropsOnlyTheScopesOwnBindings) {
    c_xml_local parent;
    parent.add_namespace("p", 1000);
    c_xml_local children(parent);  // as the reader uses it: one scope for all siblings
    children.add_namespace("q", 1001);
    children.add_namespace("p", 1002);
    EXPECT_EQ(children.find_namespace_id("p"), 1002);

    children.clear();
    EXPECT_EQ(children.find_namespace_id("q"), 0);
    EXPECT_EQ(children.find_namespace_id("p"), 1000);
    children.add_namespace("r", 1003);
    EXPECT_EQ(children.find_namespace_id("r"), 1003);
    EXPECT_EQ(children.find_namespace_id("p"), 1000);
}

TEST(NamespaceScope, ScopesThatDeclareNothingDoNotCutTheChain) {
    c_xml_local root;
    root.add_namespace("a", 1000);
    c_xml_local middle(root);
    c_xml_local leaf(middle);
    EXPECT_EQ(leaf.find_namespace_id("a"), 1000);
    leaf.add_namespace("b", 1001);
    EXPECT_EQ(leaf.find_namespace_id("a"), 1000);
    EXPECT_EQ(leaf.find_namespace_id("b"), 1001);
}

TEST(NamespaceScope, InnermostAndOutermostPrefixOfAnId) {
    c_xml_local outer;
    outer.add_namespace("a", 1000);
    c_xml_local middle(outer);
    middle.add_namespace("b", 1000);
    middle.add_namespace("", 1000);
    c_xml_local inner(middle);
    inner.add_namespace("a", 1001);

    EXPECT_STREQ(middle.find_namespace_prefix(1000), "b");
    EXPECT_STREQ(middle.find_first_namespace_prefix(1000), "a");
    // Inside, "a" means 1001: it must not be offered as a prefix for 1000.
    EXPECT_STREQ(inner.find_namespace_prefix(1000), "b");
    EXPECT_STREQ(inner.find_first_namespace_prefix(1000), "b");
    EXPECT_STREQ(inner.find_namespace_prefix(1001), "a");
    EXPECT_EQ(inner.find_namespace_prefix(1002), nullptr);
    EXPECT_EQ(inner.find_first_namespace_prefix(1002), nullptr);

    c_xml_local default_only;
    default_only.add_namespace("", 1005);
    EXPECT_STREQ(default_only.find_namespace_prefix(1005), "");
}

TEST(NamespaceScope, DeepNestingWithoutDeclarationsLooksUpInConstantSteps) {
    c_xml_local root;
    root.add_namespace("p", 1000);
    std::vector<std::unique_ptr<c_xml_local>> levels;
    levels.push_back(std::make_unique<c_xml_local>(root));
    for (int i = 1; i < 100000; ++i)
        levels.push_back(std::make_unique<c_xml_local>(*levels.back()));
    const c_xml_local& deepest = *levels.back();
    long long found = 0;
    for (int i = 0; i < 100000; ++i)
        found += deepest.find_namespace_id(i % 2 ? "p" : "none");
    EXPECT_EQ(found, 50000LL * 1000);
    while (!levels.empty())
        levels.pop_back();
}

TEST(NamespaceScope, ManySiblingsAfterOneWithHugeDeclarationsStayCheap) {
    c_xml_local parent;
    c_xml_local children(parent);
    for (int i = 0; i < 100000; ++i)
        children.add_namespace("p" + std::to_string(i), 1000 + i);
    EXPECT_EQ(children.find_namespace_id("p99999"), 100999);
    for (int sibling = 0; sibling < 20000; ++sibling) {
        children.clear();
        for (int i = 0; i < 16; ++i)
            children.add_namespace("q" + std::to_string(i), 1000);
    }
    EXPECT_EQ(children.find_namespace_id("p5"), 0);
    EXPECT_EQ(children.find_namespace_id("q15"), 1000);
}

// ---- qualified names ----

TEST(QualifiedNames, SplitAtTheFirstColon) {
    std::string out = "stale";
    EXPECT_EQ(*get_local_name("a:b:c", &out), "b:c");
    EXPECT_EQ(*get_namespace_prefix("a:b:c", &out), "a");
    EXPECT_EQ(*get_local_name("plain", &out), "plain");
    EXPECT_EQ(*get_namespace_prefix("plain", &out), "");
    EXPECT_EQ(*get_local_name("p:", &out), "");
}

TEST(CrackedName, ResolvesPrefixesAndTheDefaultNamespace) {
    c_xml_local scope;
    scope.add_namespace("p", 1000);

    c_cracked_name name(scope, "p:item");
    EXPECT_EQ(name.get_full_name(), "p:item");
    EXPECT_TRUE(name.get_has_ns_prefix());
    EXPECT_EQ(name.get_ns_prefix(), "p");
    EXPECT_EQ(name.get_local_name(), "item");
    EXPECT_EQ(name.get_ns_id(), 1000);

    name.set(scope, "item");
    EXPECT_FALSE(name.get_has_ns_prefix());
    EXPECT_EQ(name.get_ns_prefix(), "");
    EXPECT_EQ(name.get_local_name(), "item");
    EXPECT_EQ(name.get_ns_id(), 0);  // no default namespace declared

    c_xml_local child(scope);
    child.add_namespace("", 1001);
    name.set(child, "item");
    EXPECT_EQ(name.get_ns_id(), 1001);
    name.set(child, "q:item");
    EXPECT_EQ(name.get_ns_id(), 0);
    name.set(child, "xml:lang");
    EXPECT_EQ(name.get_ns_id(), 2);
    name.set(child, "p:a:b");
    EXPECT_EQ(name.get_ns_prefix(), "p");
    EXPECT_EQ(name.get_local_name(), "a:b");
    EXPECT_EQ(name.get_ns_id(), 1000);
    // An empty prefix is not the default namespace.
    name.set(child, ":item");
    EXPECT_TRUE(name.get_has_ns_prefix());
    EXPECT_EQ(name.get_ns_id(), 0);

    name.set(child, "p:again");
    name.set(child, name.get_full_name());
    EXPECT_EQ(name.get_full_name(), "p:again");
    EXPECT_EQ(name.get_local_name(), "again");

    EXPECT_EQ(c_cracked_name().get_ns_id(), 0);
}

// ---- the element-name stack ----

TEST(StringStack, NodesPushCompareAndPopExactly) {
    c_string_stack stack;
    EXPECT_EQ(stack.get_stack_size(), 0u);
    {
        c_string_stack_node outer(stack, "Root");
        EXPECT_EQ(stack.get_stack_size(), 5u);
        {
            c_string_stack_node inner(stack, "Item");
            c_string_stack_node empty(stack, "");
            EXPECT_EQ(stack.get_stack_size(), 11u);
            EXPECT_TRUE(inner == "Item");
            EXPECT_TRUE(inner != "ItemList");
            EXPECT_TRUE(inner != "Ite");
            EXPECT_TRUE(inner != "");
            EXPECT_TRUE(empty == "");
            EXPECT_TRUE(empty != "x");
            EXPECT_STREQ(inner.get_str(), "Item");
        }
        EXPECT_EQ(stack.get_stack_size(), 5u);
        EXPECT_TRUE(outer == std::string("Root"));
        EXPECT_FALSE(outer == "Root2");
    }
    EXPECT_EQ(stack.get_stack_size(), 0u);
}

TEST(StringStack, NamesSurviveTheBufferGrowing) {
    c_string_stack stack;
    c_string_stack_node first(stack, "first");
    const std::string long_name(1 << 20, 'n');
    c_string_stack_node big(stack, long_name);
    EXPECT_STREQ(first.get_str(), "first");
    EXPECT_TRUE(big == long_name);
    EXPECT_TRUE(big != long_name + "n");
    EXPECT_EQ(stack.get_stack_size(), 6u + long_name.size() + 1);
}

TEST(StringStack, DeepNestingPushesAndPopsInLinearTime) {
    c_string_stack stack;
    std::vector<std::unique_ptr<c_string_stack_node>> nodes;
    for (int i = 0; i < 100000; ++i)
        nodes.push_back(
            std::make_unique<c_string_stack_node>(stack, "element" + std::to_string(i)));
    EXPECT_TRUE(*nodes[12345] == "element12345");
    EXPECT_TRUE(*nodes.back() == "element99999");
    while (!nodes.empty())
        nodes.pop_back();
    EXPECT_EQ(stack.get_stack_size(), 0u);
}

// ---- list values ----

std::vector<std::string> items_of(c_xml_list_tokeniser& tokeniser) {
    std::vector<std::string> items;
    std::string item;
    while (tokeniser.get(&item))
        items.push_back(item);
    return items;
}

TEST(ListTokeniser, SplitsAtAnyRunOfWhiteSpace) {
    c_xml_list_tokeniser tokeniser(" \t1 22\r\n\n333 ");
    EXPECT_EQ(items_of(tokeniser), (std::vector<std::string>{"1", "22", "333"}));
    std::string item;
    EXPECT_FALSE(tokeniser.get(&item));

    tokeniser.set("a");
    EXPECT_EQ(items_of(tokeniser), std::vector<std::string>{"a"});
    tokeniser.set(" \t\r\n ");
    EXPECT_TRUE(items_of(tokeniser).empty());
    tokeniser.set("");
    EXPECT_TRUE(items_of(tokeniser).empty());
}

TEST(ListTokeniser, MegabyteTextsSplitInLinearTime) {
    std::string many;
    for (int i = 0; i < 250000; ++i)
        many += "ab  ";
    c_xml_list_tokeniser tokeniser(many);
    EXPECT_EQ(items_of(tokeniser).size(), 250000u);

    const std::string one(1 << 20, 'z');
    tokeniser.set(std::string(1 << 20, ' ') + one);
    std::string item;
    ASSERT_TRUE(tokeniser.get(&item));
    EXPECT_EQ(item, one);
    EXPECT_FALSE(tokeniser.get(&item));
}

}  // namespace
