// mcn_main.cpp -- the module entry, the image-information block and the
// module table.
#include "control/image_info.h"

#include <cstring>

#include "base/host_link.h"
#include "control/run_procedure.h"

namespace tymlp {
namespace {

constexpr char kVersion[] = "1.0";
constexpr char kRelease[] = "1.0.0 qmlp module";
constexpr char kLevel[] = "001";
constexpr char kNotice[] =
    "qmlp linear and mixed-integer programming procedure module. "
    "Solves every objective with every right-hand side of a problem.";

static_assert(sizeof kRelease <= sizeof(TymImageInfo::release), "release text fits");

void procedure_entry() { run_procedure(); }

const TymModuleTable kModuleTable = {
    TYM_TABLE_HEADER0,
    TYM_TABLE_HEADER1,
    TYM_TABLE_SIZE0,
    TYM_TABLE_SIZE1,
    {'t', 'y', 'm', 'l', 'p', ' ', ' ', ' '},
    0,
    procedure_entry,
    {TYM_TABLE_TRAILER_LAYOUT, TYM_TABLE_TRAILER_SERIAL, TYM_TABLE_TRAILER_STAMP, TYM_TABLE_TRAILER_LEVEL},
};
TymModuleTable* const kModuleTableWord = const_cast<TymModuleTable*>(&kModuleTable);

// "Mmm dd yyyy" from __DATE__ ("Mmm  d yyyy" for single-digit days).
struct DateText {
    char text[12];
};
constexpr DateText make_date(const char* d) {
    DateText out{};
    out.text[0] = d[0];
    out.text[1] = d[1];
    out.text[2] = d[2];
    out.text[3] = ' ';
    out.text[4] = d[4] == ' ' ? '0' : d[4];
    out.text[5] = d[5];
    out.text[6] = ' ';
    for (int i = 0; i < 4; ++i) out.text[7 + i] = d[7 + i];
    out.text[11] = '\0';
    return out;
}
constexpr DateText kDate = make_date(__DATE__);

template <size_t N, size_t M>
constexpr void copy_text(char (&dst)[N], const char (&src)[M]) {
    static_assert(M <= N, "text fits its field");
    for (size_t i = 0; i < M; ++i) dst[i] = src[i];
}

TymImageInfo make_image() {
    TymImageInfo info{};
    std::memcpy(info.tag, TYM_IMAGE_TAG, sizeof TYM_IMAGE_TAG);  // the tag and a terminating zero
    info.magic = TYM_IMAGE_MAGIC;
    info.count = TYM_IMAGE_COUNT;
    copy_text(info.version, kVersion);
    copy_text(info.release, kRelease);
    copy_text(info.date, kDate.text);
    info.module_table = &kModuleTableWord;
    info.notice = kNotice;
    copy_text(info.level, kLevel);
    return info;
}

// A host-owned value the entry refreshes at every load.
int64_t g_opaque_value_at_load = 0;

}  // namespace

const TymImageInfo& image_info() {
    static const TymImageInfo kImage = make_image();
    return kImage;
}

const TymModuleTable& module_table() { return kModuleTable; }

const char* build_date() { return kDate.text; }

}  // namespace tymlp

extern "C" const TymImageInfo* mcn_main(const TymHost* host, int64_t value) {
    tymlp::attach_host(host, value);
    tymlp::g_opaque_value_at_load = host != nullptr ? host->opaque_value : 0;
    return &tymlp::image_info();
}
