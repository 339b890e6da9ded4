// pivot_history.cpp -- the pivot history file and the leave ban list.
#include "simplex/pivot_history.h"

#include "base/host_link.h"

namespace tymlp {
namespace {

constexpr int64_t kRecordBytes = static_cast<int64_t>(sizeof(PivotRecord));

int history_failure(int status) {
    host_io_error_report(status < 0 ? status : -1);
    return kRunIo;
}

}  // namespace

int OpenPivotHistory(LpContext* ctx) {
    ProblemModel& pm = ctx->model;
    pm.pivot_history_count = 0;
    if (pm.pivot_history != nullptr) return 0;
    pm.pivot_history = host_util_open();
    if (pm.pivot_history == nullptr) {
        host_status_report(-1);
        return kRunIo;
    }
    return 0;
}

int RecordPivot(LpContext* ctx, int32_t entering, int32_t leaving) {
    ProblemModel& pm = ctx->model;
    if (pm.pivot_history == nullptr) return 0;
    const uint8_t* status = ctx->form.status;
    const PivotRecord rec{entering, leaving, status[entering], status[leaving]};
    int rc = host_util_position(pm.pivot_history, kRecordBytes * pm.pivot_history_count);
    if (rc == 0) rc = host_util_write(pm.pivot_history, &rec, kRecordBytes);
    if (rc != 0) return history_failure(rc);
    pm.pivot_history_count += 1;
    return 0;
}

int ReadPivotRecord(LpContext* ctx, int32_t k, PivotRecord* rec) {
    ProblemModel& pm = ctx->model;
    if (pm.pivot_history == nullptr || k < 0) return history_failure(-1);
    int rc = host_util_position(pm.pivot_history, kRecordBytes * k);
    if (rc == 0) rc = host_util_read(pm.pivot_history, rec, kRecordBytes);
    return rc == 0 ? 0 : history_failure(rc);
}

void DropPivotHistory(LpContext* ctx) {
    ProblemModel& pm = ctx->model;
    if (pm.pivot_history != nullptr) host_util_close(pm.pivot_history);
    pm.pivot_history = nullptr;
    pm.pivot_history_count = 0;
}

void ClearPivotHistory(LpContext* ctx) { ctx->model.pivot_history_count = 0; }

bool IsLeaveBanned(const LpContext* ctx, int32_t column) {
    const SolverState& sv = ctx->solver;
    for (int32_t i = 0; i < sv.leave_ban_count; ++i)
        if (sv.leave_ban[i] == column) return true;
    return false;
}

int AddLeaveBan(LpContext* ctx, int32_t column) {
    SolverState& sv = ctx->solver;
    if (sv.leave_ban_count >= kLeaveBanMax) return 0;
    sv.leave_ban[sv.leave_ban_count++] = column;
    return 1;
}

void ClearLeaveBans(LpContext* ctx) { ctx->solver.leave_ban_count = 0; }

}  // namespace tymlp
