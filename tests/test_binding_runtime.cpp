// The helpers that every bound class shares, tested once: owned lists, the order record, choice
// storage, the content loops of the element parse in both modes, and file saving.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "lmx/runtime.h"

using namespace lmx;

TEST(OwnedList, FamiliesKeepOrderLimitsAndDeepCopies) {
    ct_owned_list<std::string> list;
    EXPECT_EQ(list.append("b", 3), ELMX_OK);
    EXPECT_EQ(list.insert(0, "a", 3), ELMX_OK);
    EXPECT_EQ(list.insert(9, "c", 3), ELMX_OK);
    EXPECT_EQ(list.append("d", 3), ELMX_MAX_OCCURS_EXCEEDED);
    EXPECT_EQ(list.insert(0, "d", 3), ELMX_MAX_OCCURS_EXCEEDED);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.at(0) + list.at(1) + list.at(2), "abc");
    const std::string* stable = &list.at(2);
    list.erase(0);
    EXPECT_EQ(&list.at(1), stable);
    EXPECT_EQ(list.set(5, "e"), ELMX_OK);
    EXPECT_EQ(list.set(0, "B"), ELMX_OK);
    EXPECT_EQ(list.back(), "e");

    ct_owned_list<std::string> copy(list);
    copy.at(0) = "changed";
    EXPECT_EQ(list.at(0), "B");
    copy.grow_to(5) = "six";
    EXPECT_EQ(copy.size(), 6u);
    EXPECT_EQ(copy.at(4), "");
    copy.swap(list);
    EXPECT_EQ(list.size(), 6u);
    EXPECT_EQ(copy.size(), 3u);
    list.clear();
    EXPECT_TRUE(list.empty());
}

TEST(Owned, CreatedOnFirstNeedAndCopiedDeeply) {
    ct_owned<std::string> held;
    EXPECT_FALSE(held.exists());
    held.get() = "x";
    ct_owned<std::string> copy(held);
    copy.get() += "y";
    EXPECT_EQ(held.get(), "x");
    held.release();
    EXPECT_FALSE(held.exists());
}

TEST(OrderRecord, RecordsFirstSettingOrderAndCloseGapsOnRemoval) {
    enum e_item { a, b, c };
    ct_order_record<e_item, 3> record;
    record.add(b);
    record.add(a);
    record.add(b);
    ASSERT_EQ(record.size(), 2u);
    EXPECT_EQ(record.at(0), b);
    EXPECT_EQ(record.position_of(a), 1u);
    EXPECT_EQ(record.position_of(c), 4294967295u);
    record.remove(b);
    EXPECT_EQ(record.size(), 1u);
    EXPECT_EQ(record.at(0), a);
    record.remove(c);
    EXPECT_EQ(record.size(), 1u);
}

TEST(ChoiceStorage, SelectingAnotherOptionFreesThePrevious) {
    using choice = ct_choice<std::string, int, ct_owned<std::string>, c_empty_option, c_no_option>;
    choice slot;
    EXPECT_TRUE(slot.is_none());
    slot.select<2>().get() = "object";
    EXPECT_EQ(slot.chosen(), 2u);
    choice copy(slot);
    slot.set<1>(5);
    EXPECT_EQ(slot.get<1>(), 5);
    EXPECT_EQ(copy.get<2>().get(), "object");
    slot.select<2>();
    EXPECT_FALSE(slot.get<2>().exists());
    slot.swap(copy);
    EXPECT_EQ(slot.get<2>().get(), "object");
    slot.release();
    EXPECT_EQ(slot.chosen(), choice::k_none);
}

namespace {

// A hand-written bound class of an xs:all group with two required integer items, the shape the
// generator prints, so that the all loop is tested without a schema.
struct c_pair {
    enum elmx_all { all_x, all_y };
    ct_order_record<elmx_all, 2> order;
    int x = 0;
    int y = 0;

    bool is_occurs_ok() const { return order.size() == 2; }
    bool unmarshal_body(c_xml_reader& reader, std::string* name, elmx_error* error) {
        static const s_event_map elements[] = {
            {1, "x", 1, 12}, {1, "y", 1, 13}, {0, nullptr, 0, 1}};
        reader.tokenise(elements, ELXP_ELEMENT_MODE);
        const int event = reader.get_current_event();
        if (event != 12 && event != 13) return true;
        const elmx_all item = event == 12 ? all_x : all_y;
        if (order.contains(item)) return refuse_repeated_item(reader, *name, {"pair", 1}, error);
        *error = read_element(reader, *name, s_value_rules{ELMX_WS_COLLAPSE}, {"pair", 2},
                              item == all_x ? &x : &y);
        order.add(item);
        return false;
    }
};

const s_class_parse k_strict_pair = {"pair", 10,   "PairType", ELMX_CONTENT_ALL, ELMX_PARSE_STRICT,
                                     true,   false};
const s_class_parse k_lenient_pair = {
    "pair", 10, "PairType", ELMX_CONTENT_ALL, ELMX_PARSE_LENIENT, true, false};

struct c_counting_reader : c_xml_reader_memory {
    c_counting_reader(const std::string& text, bool tolerant)
        : c_xml_reader_memory(text.data(), static_cast<unsigned>(text.size())),
          m_tolerant(tolerant) {}
    elmx_error user_handle_error(elmx_error code, const std::string&, const char*, int) override {
        ++handled;
        return m_tolerant ? ELMX_OK : code;
    }
    int handled = 0;
    bool m_tolerant;
};

struct s_outcome {
    elmx_error error;
    std::string item;
    int handled;
};

s_outcome parse(const std::string& text, const s_class_parse& info, c_pair* pair,
                bool tolerant = false) {
    c_counting_reader reader(text, tolerant);
    c_xml_reader_local scope(reader);
    std::string name;
    elmx_error error = ELMX_OK;
    reader.get_element_event(nullptr, &error, &name);
    if (error == ELMX_OK) error = parse_bound_element(reader, name, info, *pair);
    return {error, reader.get_error_item_name(), reader.handled};
}

}  // namespace

TEST(AllContent, AnyOrderIsRecordedAndErrorsNameTheirItem) {
    c_pair pair;
    ASSERT_EQ(parse("<p><y>2</y><x> 1 </x></p>", k_strict_pair, &pair).error, ELMX_OK);
    EXPECT_EQ(pair.order.at(0), c_pair::all_y);
    EXPECT_EQ(pair.x, 1);

    struct s_case {
        const char* text;
        const s_class_parse& info;
        elmx_error error;
        const char* item;
    } cases[] = {
        {"<p><x>1</x><x>2</x><y>3</y></p>", k_strict_pair, ELMX_ALL_CARDINALITY_VIOLATED, "x"},
        {"<p><x>1</x></p>", k_strict_pair, ELMX_MANDATORY_ELEMENT_MISSING, "PairType"},
        {"<p/>", k_strict_pair, ELMX_UNEXPECTED_EMPTY_ELEMENT, "p"},
        {"<p><z/><x>1</x><y>2</y></p>", k_strict_pair, ELMX_UNKNOWN_ALL_ELEMENT, "z"},
        {"<p a='1'><x>1</x><y>2</y></p>", k_strict_pair, ELMX_UNEXPECTED_ATTRIBUTE, "p"},
        {"<p><x>9223372036854775808</x><y>2</y></p>", k_strict_pair, ELMX_VALUE_ABOVE_MAXIMUM, "x"},
        {"<p><x>1</x><y>2</y></q>", k_strict_pair, ELMX_BAD_END_OF_ELEMENT, "p"},
        {"<p a='1' xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' xsi:nil='false'>"
         "<z><w/></z><x>1</x><y>2</y></p>",
         k_lenient_pair, ELMX_OK, ""},
    };
    for (const s_case& test : cases) {
        c_pair fresh;
        const s_outcome outcome = parse(test.text, test.info, &fresh);
        EXPECT_EQ(outcome.error, test.error) << test.text;
        EXPECT_EQ(outcome.item, test.item) << test.text;
    }
}

TEST(AllContent, ElementsRefusedByATolerantHandlerAreSkippedNotReexamined) {
    c_pair pair;
    const s_outcome outcome =
        parse("<p><x>1</x><x><deep>2</deep></x><z>3</z><y>4</y></p>", k_strict_pair, &pair, true);
    EXPECT_EQ(outcome.error, ELMX_OK);
    EXPECT_EQ(outcome.handled, 2);
    EXPECT_EQ(pair.x, 1);
    EXPECT_EQ(pair.y, 4);
    ASSERT_EQ(pair.order.size(), 2u);

    // Whatever the handler answers, broken markup ends the parse.
    for (const char* text : {"<p><x>1</x><x", "<p><x>1<y>", "<p><x>1</x><y>2</y>", "<p><x>&bad;"}) {
        c_pair broken;
        EXPECT_NE(parse(text, k_strict_pair, &broken, true).error, ELMX_OK) << text;
    }
}

TEST(DocumentFiles, ReplaceTheTargetOnlyAfterACompleteWrite) {
    const std::string path = ::testing::TempDir() + "binding_runtime_document.xml";
    std::ofstream(path) << "old";
    const auto write_new = [](std::ostream& os, const void*) {
        os << "new";
        return ELMX_OK;
    };
    const auto fail_midway = [](std::ostream& os, const void*) {
        os << "partial";
        return ELMX_BAD_CHOICE;
    };
    EXPECT_EQ(save_document_file(path.c_str(), fail_midway, nullptr), ELMX_BAD_CHOICE);
    std::ifstream before(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(before), {}), "old");
    EXPECT_EQ(save_document_file(path.c_str(), write_new, nullptr), ELMX_OK);
    std::ifstream after(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(after), {}), "new");
    EXPECT_EQ(save_document_file("", write_new, nullptr), ELMX_UNABLE_TO_OPEN_FILE);
    EXPECT_EQ(save_document_file("/nonexistent-directory/x.xml", write_new, nullptr),
              ELMX_UNABLE_TO_OPEN_FILE);
    std::string text = "kept";
    EXPECT_EQ(save_document_string(&text, fail_midway, nullptr), ELMX_BAD_CHOICE);
    EXPECT_EQ(text, "kept");
    std::remove(path.c_str());
}

TEST(DocumentFiles, KeepTheTargetsPermissionsAndTheUmask) {
    const auto write_new = [](std::ostream& os, const void*) {
        os << "new";
        return ELMX_OK;
    };
    const auto mode_of = [](const std::string& file) {
        struct stat status;
        return ::stat(file.c_str(), &status) == 0 ? status.st_mode & 0777 : 01000u;
    };
    const std::string existing = ::testing::TempDir() + "binding_runtime_private.xml";
    std::ofstream(existing) << "old";
    ASSERT_EQ(::chmod(existing.c_str(), 0600), 0);
    EXPECT_EQ(save_document_file(existing.c_str(), write_new, nullptr), ELMX_OK);
    EXPECT_EQ(mode_of(existing), 0600u);

    const std::string fresh = ::testing::TempDir() + "binding_runtime_fresh.xml";
    std::remove(fresh.c_str());
    const mode_t previous = ::umask(027);
    EXPECT_EQ(save_document_file(fresh.c_str(), write_new, nullptr), ELMX_OK);
    ::umask(previous);
    EXPECT_EQ(mode_of(fresh), 0640u);
    std::remove(existing.c_str());
    std::remove(fresh.c_str());
}
