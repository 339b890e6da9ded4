// The table output connection: objects created and released in order, and
// a refusing host ending the step with 0.
#include "output/output_connection.h"
#include "../control/control_fixture.h"
#include "control/run_procedure.h"

namespace {

using namespace tymlp;

// A table vector whose requests all fail.
TymObject no_root() { return reinterpret_cast<TymObject>(&no_root); }
int refuse(TymObject, int, int, const TymAttr*) { return -7; }
const TymTableVector kRefusing{sizeof(TymTableVector), no_root, refuse};

// Swaps the mini host's table vector for the duration of a test.
class RefusingHost {
  public:
    RefusingHost() : host_(const_cast<TymHost*>(minihost::host())), saved_(host_->vectors[TYM_VEC_TABLE]) {
        host_->vectors[TYM_VEC_TABLE] = &kRefusing;
    }
    ~RefusingHost() { host_->vectors[TYM_VEC_TABLE] = saved_; }

  private:
    TymHost* host_;
    const void* saved_;
};

std::string attr_text(const TymAttr& a) { return std::string(a.v.s, static_cast<size_t>(a.len)); }

class Connection : public spine_test::ContextTest {};

TEST_F(Connection, CreatesTheManagerThenTheOutputObject) {
    ASSERT_EQ(open_output_connection(ctx_), 0);
    ASSERT_EQ(host_->requests.size(), 2u);
    for (int k = 0; k < 2; ++k) {
        const auto& r = host_->requests[k];
        EXPECT_EQ(r.code, TYM_REQ_CREATE);
        ASSERT_EQ(r.attrs.size(), 3u);
        EXPECT_EQ(r.attrs[0].tag, TYM_TAG_FACILITY);
        EXPECT_EQ(attr_text(r.attrs[0]), "pvs");
        EXPECT_EQ(r.attrs[1].tag, TYM_TAG_KIND);
        EXPECT_EQ(attr_text(r.attrs[1]), k == 0 ? "manager" : "output");
        EXPECT_EQ(r.attrs[2].tag, TYM_TAG_SLOT);
    }
    EXPECT_NE(ctx_->handles.manager, nullptr);
    EXPECT_NE(ctx_->handles.output[0], nullptr);

    // Closing: the open table first, then the objects, the manager last.
    ctx_->handles.open_table = reinterpret_cast<TymObject>(host_);
    host_->requests.clear();
    close_output_objects(ctx_);
    ASSERT_EQ(host_->requests.size(), 3u);
    EXPECT_EQ(host_->requests[0].code, TYM_REQ_CLOSE_TABLE);
    EXPECT_EQ(host_->requests[0].attrs[0].tag, TYM_TAG_HANDLE);
    EXPECT_EQ(host_->requests[1].code, TYM_REQ_RELEASE);
    EXPECT_EQ(host_->requests[2].code, TYM_REQ_RELEASE);
    EXPECT_EQ(ctx_->handles.manager, nullptr);
    EXPECT_EQ(ctx_->handles.open_table, nullptr);
}

TEST_F(Connection, ARefusedRequestIsReportedAndReturned) {
    RefusingHost refusing;
    EXPECT_EQ(open_output_connection(ctx_), -7);
    EXPECT_EQ(host_->notes, std::vector<std::string>{"status report -7"});
    EXPECT_EQ(ctx_->handles.manager, nullptr);
}

TEST(RunProcedureOutput, ARefusedConnectionEndsTheStepWithZero) {
    auto& host = minihost::install();
    RefusingHost refusing;
    try {
        run_procedure();
        FAIL() << "returned";
    } catch (const minihost::StepEnded& e) {
        EXPECT_EQ(e.end_code, kEndNormal);
    }
    EXPECT_EQ(host.macros.count("_QMLP_"), 0u);
    EXPECT_EQ(host.live_blocks, 0);
}

}  // namespace
