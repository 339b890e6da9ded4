// ProblemSummary through the recorded table requests of the mini host, and
// the request sequence of factoids and data tables.
#include "report/problem_summary.h"
#include "../input/reader_fixture.h"
#include "output/table_output.h"
#include "report/factoid.h"

#include <map>

namespace {

using namespace tymlp;
using readertest::ReaderTest;

struct Entry {
    std::string label;
    std::string value;
    bool operator==(const Entry& o) const { return label == o.label && value == o.value; }
};

std::ostream& operator<<(std::ostream& os, const Entry& e) { return os << "{" << e.label << ", " << e.value << "}"; }

// A request as the host saw it, with its texts copied at once (the module's
// label buffers do not outlive the request).
struct Seen {
    int code;
    std::vector<TymAttr> attrs;
    std::map<int, std::string> texts;
};

std::vector<Seen>& seen() {
    static std::vector<Seen> requests;
    return requests;
}

// Distinct fake handles for the objects the module creates.
char g_handles[64];
int g_next_handle = 0;

int recording_request(TymObject, int code, int nattrs, const TymAttr* attrs) {
    Seen r{code, std::vector<TymAttr>(attrs, attrs + nattrs), {}};
    for (TymAttr& a : r.attrs) {
        if (a.type == TYM_ATTR_TEXT) r.texts[a.tag] = std::string(a.v.s, static_cast<size_t>(a.len));
        if (a.type == TYM_ATTR_SLOT) *a.v.slot = reinterpret_cast<TymObject>(&g_handles[g_next_handle++ % 64]);
    }
    seen().push_back(std::move(r));
    return 0;
}

std::string attr_value(const Seen& r, const TymAttr& a) {
    switch (a.type) {
        case TYM_ATTR_TEXT: return r.texts.at(a.tag);
        case TYM_ATTR_INT: return std::to_string(a.v.i);
        case TYM_ATTR_DOUBLE: {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.2f", a.v.d);
            return buf;
        }
        default: return "?";
    }
}

const TymAttr* find(const Seen& r, int tag) {
    for (const TymAttr& a : r.attrs)
        if (a.tag == tag) return &a;
    return nullptr;
}

std::string text(const Seen& r, int tag) {
    const auto it = r.texts.find(tag);
    return it == r.texts.end() ? std::string("<none>") : it->second;
}

class Summary : public ReaderTest {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        recorder_ = *static_cast<const TymTableVector*>(composed_.vectors[TYM_VEC_TABLE]);
        recorder_.request = recording_request;
        composed_.vectors[TYM_VEC_TABLE] = &recorder_;
        seen().clear();
    }
    // The entries of the factoid the run printed (label text, value text).
    std::vector<Entry> entries() const {
        std::vector<Entry> out;
        for (const Seen& r : seen()) {
            if (r.code != TYM_REQ_ADD_ENTRY) continue;
            const TymAttr* label = find(r, TYM_TAG_LABEL);
            const TymAttr* value = find(r, TYM_TAG_ENTRY_TEXT);
            if (value == nullptr) value = find(r, TYM_TAG_ENTRY_VALUE);
            out.push_back(
                {label != nullptr ? attr_value(r, *label) : "", value != nullptr ? attr_value(r, *value) : ""});
        }
        return out;
    }
    std::vector<int> codes() const {
        std::vector<int> out;
        for (const Seen& r : seen()) out.push_back(r.code);
        return out;
    }
    TymTableVector recorder_{};
};

TEST_F(Summary, ProductMixEntriesInOrder) {
    data(
        "_ID_,_TYPE_,chairs,tables,desks,_RHS_\n"
        "profit,MAX,30,50,40,.\nwood,LE,2,4,3,300\nlabour,LE,4,3,5,360\nfinishing,LE,1,2,1,120\n");
    ASSERT_EQ(read_dense(), 0);
    seen().clear();
    ASSERT_EQ(print_problem_summary(ctx_), 0);
    const std::vector<Entry> expected = {
        {"L500", "L36(profit)"},
        {"L501", "L38(_RHS_)"},
        {"L502", "L39(_TYPE_)"},
        {"L40", "50.00"},  // 100 x 9 constraint coefficients / (3 x 6)
        {" ", " "},
        {"L503", "Number"},
        {" ", " "},
        {"L43", "3"},
        {"L52", "3"},
        {" ", " "},
        {"L54", "6"},
        {" ", " "},
        {"L504", "Number"},
        {" ", " "},
        {"L56", "3"},
        {"L60", "2"},
        {" ", " "},
        {"L54", "5"},
    };
    EXPECT_EQ(entries(), expected);
    const auto c = codes();
    ASSERT_GE(c.size(), 3u);
    EXPECT_EQ(c.front(), TYM_REQ_CREATE);
    EXPECT_EQ(c[c.size() - 2], TYM_REQ_END_ENTRIES);
    EXPECT_EQ(c.back(), TYM_REQ_RELEASE);
    const Seen& create = seen().front();
    EXPECT_EQ(text(create, TYM_TAG_KIND), "factoid");
    EXPECT_EQ(text(create, TYM_TAG_TEMPLATE), "Qm.Lp.ProblemSummary");
    EXPECT_EQ(text(create, TYM_TAG_NAME), "ProblemSummary");
    EXPECT_EQ(text(create, TYM_TAG_LABEL), "L210");
    const TymAttr* density = nullptr;
    for (const Seen& r : seen())
        if (r.code == TYM_REQ_ADD_ENTRY && text(r, TYM_TAG_LABEL) == "L40") density = find(r, TYM_TAG_ENTRY_WIDTH);
    ASSERT_NE(density, nullptr);
    EXPECT_EQ(density->v.i, 5);
}

TEST_F(Summary, EveryColumnAndRowKindIsCounted) {
    data(
        "_ID_,_TYPE_,a,b,c,d,e,f,g,h,_RHS_\n"
        "o,MIN,1,1,1,1,1,1,1,1,.\n"
        "r1,LE,1,1,1,1,1,1,1,1,4\n"
        "r2,GE,1,.,.,.,.,.,.,.,1\n"
        "r3,EQ,.,1,.,.,.,.,.,.,1\n"
        "r4,FR,.,.,1,.,.,.,.,.,.\n"
        "up,UPPER,.,5,.,.,.,.,.,.,.\n"
        "lo,LOWER,.,.,2,.,.,.,.,.,.\n"
        "both,UPPER,.,.,.,9,.,.,.,.,.\n"
        "both2,LOWER,.,.,.,1,.,.,.,.,.\n"
        "un,UNRS,.,.,.,.,1,.,.,.,.\n"
        "fx,FIXED,.,.,.,.,.,3,.,.,.\n"
        "in,INT,.,.,.,.,.,.,1,.,.\n"
        "bi,BINARY,.,.,.,.,.,.,.,1,.\n"
        "k,CHARGE,7,.,.,.,.,.,.,.,.\n");
    ASSERT_EQ(read_dense(), 0);
    ProblemCounts c{};
    ASSERT_EQ(count_problem(ctx_, &c), 0);
    EXPECT_EQ(c.structural, 8);
    EXPECT_EQ(c.nonnegative, 1);
    EXPECT_EQ(c.upper_only, 1);
    EXPECT_EQ(c.lower_only, 1);
    EXPECT_EQ(c.both_bounds, 1);
    EXPECT_EQ(c.unrestricted, 1);
    EXPECT_EQ(c.fixed, 1);
    EXPECT_EQ(c.integer, 2);
    EXPECT_EQ(c.binary, 1);
    EXPECT_EQ(c.fixed_charge, 1);
    EXPECT_EQ(c.slack, 2);  // r1 and the fixed-charge row
    EXPECT_EQ(c.surplus, 1);
    EXPECT_EQ(c.equality, 1);
    EXPECT_EQ(c.free_rows, 1);
    EXPECT_EQ(c.objective_rows, 2);
    EXPECT_EQ(c.rows, 7);
    EXPECT_EQ(c.nonzeros, 19);
    EXPECT_EQ(c.objective_nonzeros, 8);
    // The objective row's coefficients count no more than its row does.
    EXPECT_NEAR(c.density, 100.0 * (19 - 8) / (5 * 11), 1e-12);
    seen().clear();
    ASSERT_EQ(print_problem_summary(ctx_), 0);
    const auto e = entries();
    auto has = [&](const std::string& label, const std::string& value) {
        for (const Entry& x : e)
            if (x.label == label && x.value == value) return true;
        return false;
    };
    EXPECT_TRUE(has("L48", "1"));  // integer count less binary count
    EXPECT_TRUE(has("L49", "1"));
    EXPECT_TRUE(has("L50", "1"));
    EXPECT_TRUE(has("L54", "12"));  // 8 structural + 1 fixed charge + 2 slack + 1 surplus
    EXPECT_TRUE(has("L57", "1"));
    EXPECT_TRUE(has("L59", "1"));
}

TEST_F(Summary, ZeroCountsAreLeftOutAndOnlyObjectivesGiveDensityZero) {
    data("_ID_,_TYPE_,x,_RHS_\no,MAX,1,.\np,MIN,2,.\n");
    ASSERT_EQ(read_dense(), 0);
    seen().clear();
    ASSERT_EQ(print_problem_summary(ctx_), 0);
    const auto e = entries();
    ASSERT_GE(e.size(), 4u);
    EXPECT_EQ(e[3], (Entry{"L40", "0.00"}));
    for (const Entry& x : e) {
        EXPECT_NE(x.label, "L52");  // no slack column: no line
        EXPECT_NE(x.label, "L56");
    }
    EXPECT_EQ(e.back(), (Entry{"L54", "3"}));
}

TEST_F(Summary, TheCurrentObjectiveAndRightHandSideAreNamed) {
    data("_ID_,_TYPE_,x,r1,r2\no,MAX,1,.,.\np,MIN,2,.,.\nc,LE,1,1,2\n");
    list(kVarRhs, {"r1", "r2"});
    ASSERT_EQ(read_dense(), 0);
    ctx_->model.current_objective = ctx_->model.objectives->next->next;
    ctx_->model.current_rhs = ctx_->model.lists[kListRhs].last;
    seen().clear();
    ASSERT_EQ(print_problem_summary(ctx_), 0);
    const auto e = entries();
    EXPECT_EQ(e[0], (Entry{"L500", "L37(p)"}));
    EXPECT_EQ(e[1], (Entry{"L501", "L38(r2)"}));
}

TEST_F(Summary, PrintLevelMinusTwoPrintsNothing) {
    data("_ID_,_TYPE_,x,_RHS_\no,MAX,1,.\nc,LE,1,1\n");
    ASSERT_EQ(read_dense(), 0);
    ctx_->options.printlevel = -2;
    seen().clear();
    ASSERT_EQ(print_problem_summary(ctx_), 0);
    EXPECT_TRUE(seen().empty());
    ctx_->options.printlevel = -1;
    ASSERT_EQ(print_problem_summary(ctx_), 0);
    EXPECT_FALSE(seen().empty());
}

int failing_request(TymObject, int, int, const TymAttr*) { return -3; }

TEST_F(Summary, ANegativeResultReportsAndEndsTheStepWithZero) {
    data("_ID_,_TYPE_,x,_RHS_\no,MAX,1,.\nc,LE,1,1\n");
    ASSERT_EQ(read_dense(), 0);
    static TymTableVector failing{sizeof(TymTableVector), nullptr, failing_request};
    failing.output_object = static_cast<const TymTableVector*>(composed_.vectors[TYM_VEC_TABLE])->output_object;
    composed_.vectors[TYM_VEC_TABLE] = &failing;
    int end_code = -1;
    LpContext* ctx = ctx_;
    ctx_ = nullptr;  // the end of the run releases it
    try {
        print_problem_summary(ctx);
    } catch (const minihost::StepEnded& e) {
        end_code = e.end_code;
    }
    EXPECT_EQ(end_code, 0);
    ASSERT_FALSE(host_->notes.empty());
    EXPECT_EQ(host_->notes.front(), "status report -3");
}

// The tags of a request in the order sent.
std::vector<int> tags(const Seen& r) {
    std::vector<int> out;
    for (const TymAttr& a : r.attrs) out.push_back(a.tag);
    return out;
}

TEST_F(Summary, DataObjectsAndFactoidsAreCreatedWithTheSameLeadingAttributes) {
    const TymObject data = table_create_data(ctx_, "ExampleData", 230);
    Factoid f = factoid_open(ctx_, "Qm.Lp.Example", "Example", 231);
    ASSERT_EQ(seen().size(), 2u);
    const std::vector<int> leading = {TYM_TAG_FACILITY, TYM_TAG_KIND, TYM_TAG_SLOT, TYM_TAG_MINUS_ONE};
    std::vector<int> expected = leading;
    expected.insert(expected.end(), {TYM_TAG_NAME, TYM_TAG_LABEL});
    EXPECT_EQ(tags(seen()[0]), expected);
    expected = leading;
    expected.insert(expected.end(), {TYM_TAG_TEMPLATE, TYM_TAG_NAME, TYM_TAG_LABEL});
    EXPECT_EQ(tags(seen()[1]), expected);
    for (const Seen& r : seen()) {
        EXPECT_EQ(r.code, TYM_REQ_CREATE);
        EXPECT_EQ(text(r, TYM_TAG_FACILITY), "pvs");
        EXPECT_EQ(find(r, TYM_TAG_MINUS_ONE)->v.i, -1);
    }
    EXPECT_EQ(text(seen()[1], TYM_TAG_KIND), "factoid");
    EXPECT_EQ(text(seen()[1], TYM_TAG_LABEL), "L231");
    // Each caller gets the object the host put into its slot.
    EXPECT_NE(data, nullptr);
    EXPECT_NE(f.object, nullptr);
    EXPECT_NE(f.object, data);
}

TEST_F(Summary, DataTableSequence) {
    struct Line {
        int32_t number;
        double value;
        char name[8];
    } line{};
    TymObject data = table_create_data(ctx_, "ExampleData", 230);
    table_define_column(ctx_, data, kColumnInteger, 0, "Number", &line.number);
    table_define_column(ctx_, data, kColumnDouble, 0, "Value", &line.value);
    table_define_column(ctx_, data, kColumnText, 8, "Name", line.name);
    table_end_columns(ctx_, data);
    TymObject table = table_open(ctx_, data, "Qm.Lp.Example", "Example", 231);
    EXPECT_EQ(ctx_->handles.open_table, table);
    table_emit_row(ctx_, table);
    table_end_rows(ctx_, table);
    const TymObject opened = table;
    table_close(ctx_, &table);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(ctx_->handles.open_table, nullptr);
    EXPECT_EQ(codes(), (std::vector<int>{147, 338, 338, 338, 298, 422, 329, 299, 428}));
    const Seen& create = seen()[0];
    EXPECT_EQ(find(create, TYM_TAG_MINUS_ONE)->v.i, -1);
    EXPECT_EQ(text(create, TYM_TAG_KIND), "data");
    EXPECT_EQ(text(create, TYM_TAG_LABEL), "L230");
    EXPECT_EQ(find(seen()[3], TYM_TAG_COLUMN_WIDTH)->v.i, 8);
    EXPECT_EQ(find(seen()[1], TYM_TAG_COLUMN_WIDTH), nullptr);
    EXPECT_EQ(find(seen()[2], TYM_TAG_COLUMN_TYPE)->v.i, 5);
    EXPECT_EQ(find(seen()[1], TYM_TAG_COLUMN_BUFFER)->v.p, &line.number);
    // The table is opened with the data object and closed with its own handle.
    EXPECT_EQ(find(seen()[5], TYM_TAG_TEMPLATE) != nullptr, true);
    const TymAttr* closed = find(seen()[8], TYM_TAG_HANDLE);
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->type, TYM_ATTR_OBJECT);
    EXPECT_EQ(closed->v.o, opened);
    EXPECT_EQ(text(seen()[5], TYM_TAG_NAME), "Example");
}

}  // namespace
