// The entry, the image-information block and the module table.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "base/host_link.h"
#include "control/image_info.h"
#include "mini_host.h"

namespace {

TEST(Image, EntryRecordsTheHostAndReturnsTheBlock) {
    minihost::install();
    const TymHost* host = minihost::host();
    const TymImageInfo* info = mcn_main(host, 42);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(tymlp::module_globals().host, host);
    EXPECT_EQ(tymlp::module_globals().value, 42);
    EXPECT_EQ(tymlp::module_globals().identity_word_at_entry, host->identity_word);
    minihost::install();  // back to the value the other tests expect
}

TEST(Image, BlockFieldsAreExactlyAsTabled) {
    const TymImageInfo& info = tymlp::image_info();
    const char tag[24] = "TYM_Image_Information=";
    EXPECT_EQ(std::memcmp(info.tag, tag, sizeof tag), 0);
    EXPECT_EQ(info.tag[22], '\0');
    EXPECT_EQ(info.tag[23], '\0');
    EXPECT_EQ(info.magic, 0xB0BDEBEDu);
    EXPECT_EQ(info.count, 8u);
    EXPECT_STREQ(info.version, "1.0");
    EXPECT_EQ(info.version[5], '\0');
    EXPECT_GT(std::strlen(info.release), 0u);
    EXPECT_EQ(info.release[19], '\0');
    EXPECT_TRUE(std::regex_match(std::string(info.date), std::regex("[A-Z][a-z]{2} [0-3][0-9] [0-9]{4}"))) << info.date;
    EXPECT_EQ(std::memcmp(info.level, "001", 4), 0);
    ASSERT_NE(info.notice, nullptr);
    EXPECT_GT(std::strlen(info.notice), 0u);
}

TEST(Image, ModuleTableIsReachedThroughItsWord) {
    const TymImageInfo& info = tymlp::image_info();
    ASSERT_NE(info.module_table, nullptr);
    const TymModuleTable* table = *info.module_table;
    ASSERT_EQ(table, &tymlp::module_table());
    EXPECT_EQ(table->header0, 0);
    EXPECT_EQ(table->header1, 0xFFFF);
    EXPECT_EQ(table->size0, 1024u);
    EXPECT_EQ(table->size1, 1024u);
    EXPECT_EQ(std::memcmp(table->name, "tymlp   ", 8), 0);
    EXPECT_EQ(table->reserved, 0u);
    EXPECT_NE(table->entry, nullptr);
    EXPECT_EQ(table->trailer[0], 3u);
    EXPECT_EQ(table->trailer[1], 9683u);
    EXPECT_EQ(table->trailer[2], 0x2053CDCAu);
    EXPECT_EQ(table->trailer[3], 15u);
    // The named trailer words are the values the table has always carried.
    EXPECT_EQ(TYM_TABLE_TRAILER_LAYOUT, 3u);
    EXPECT_EQ(TYM_TABLE_TRAILER_SERIAL, 9683u);
    EXPECT_EQ(TYM_TABLE_TRAILER_STAMP, 0x2053CDCAu);
    EXPECT_EQ(TYM_TABLE_TRAILER_LEVEL, 15u);
}

TEST(Image, BuildDateUsesTwoDigitDays) {
    const std::string date = tymlp::build_date();
    ASSERT_EQ(date.size(), 11u);
    EXPECT_NE(date[4], ' ');
    EXPECT_EQ(date.substr(7), std::string(__DATE__).substr(7));
}

}  // namespace
