#include "link/ecr_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

namespace meridox::link {
namespace {

using enum TCommandStatus;

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCommands(commands_); }
  TEcrCommands commands_;
};

struct EntryCase {
  std::size_t position;  // 0-based place in the catalogue
  std::int32_t id;
  std::uint32_t command;
  TCommandStatus status;
  const char* caption;
};

// First and last entries, and the rows whose status does not follow their caption.
const EntryCase kEntryCases[] = {
    {0, 20000, 0xE000, csUpload, "检查ECR状态"},
    {3, 10009, 0xE005, csUpload, "未传当前收据内容"},
    {8, 10004, 0xE082, csDownload, "销售"},
    {14, 10017, 0xE0C9, csDownload, "Open Table"},
    {15, 10016, 0xE0CA, csUpload, "Close Table"},
    {16, 10015, 0xE0CB, csUpload, "Transfer Table"},
    {19, 100, 0xA001, csUpload, "测试通讯"},
    {20, 10007, 0x800D, csError, "异常命令"},
    {21, 30008, 0xE0FF, csUpload, "获取ECR属性"},
    {22, 10006, 0xE088, csOnline, "ECR读PC单品数据"},
    {32, 60002, 0x7002, csOnline, "应答FM命令"},
    {38, 106, 0xA008, csDownload, "下载608command para"},
    {51, 119, 0xA020, csDownload, "头信息比较"},
    {52, 120, 0xA016, csUpload, "设置ReportServer"},
    {54, 122, 0xA018, csUpload, "设置CardDigit"},
    {55, 130, 0xA01C, csUpload, "上载KeySet"},
    {77, 230, 0x601C, csUpload, "上载KeySet"},
    {79, 304, 0x6081, csUpload, "上载ECR_DEP"},
};

class CatalogueEntryTest : public CatalogueTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(CatalogueEntryTest, EntryAtItsPlaceAndFoundByIdAndCode) {
  const EntryCase& c = GetParam();
  ASSERT_EQ(commands_.Count(), 80u);
  const TEcrCommand& item = commands_[c.position];
  EXPECT_EQ(item.ID(), c.id);
  EXPECT_EQ(item.Command(), c.command);
  EXPECT_EQ(item.Status(), c.status);
  EXPECT_EQ(item.Caption(), c.caption);
  EXPECT_EQ(commands_.FindByID(c.id), &item);
  EXPECT_EQ(commands_.FindByCommand(c.command), &item);
}

INSTANTIATE_TEST_SUITE_P(Rows, CatalogueEntryTest, ::testing::ValuesIn(kEntryCases));

TEST_F(CatalogueTest, IdsAndCodesAreUniqueAndStatusesAsDocumented) {
  std::set<std::int32_t> ids;
  std::set<std::uint32_t> codes;
  std::set<std::int32_t> online;
  std::set<std::int32_t> errors;
  for (const TEcrCommand& item : commands_) {
    EXPECT_TRUE(ids.insert(item.ID()).second) << item.ID();
    EXPECT_TRUE(codes.insert(item.Command()).second) << item.Command();
    EXPECT_LT(item.Command(), 0x10000u);
    EXPECT_NE(item.Status(), csReadReceipt);
    EXPECT_NE(item.Status(), csNone);
    if (item.Status() == csOnline) {
      online.insert(item.ID());
    }
    if (item.Status() == csError) {
      errors.insert(item.ID());
    }
  }
  EXPECT_EQ(ids.size(), 80u);
  EXPECT_EQ(online, (std::set<std::int32_t>{10006, 60002}));
  EXPECT_EQ(errors, (std::set<std::int32_t>{10007}));
}

struct CaptionCase {
  const char* query;
  std::int32_t expectedId;  // 0: none
};

const CaptionCase kCaptionCases[] = {
    {"  General  ", 10012},
    {"General", 10012},
    {"general", 0},
    {"上载KeySet", 130},
    {" 上载KeySet", 130},
    {"Open Table", 10017},
    {"Open  Table", 0},
    {"", 0},
    {"   ", 0},
};

class CaptionTest : public CatalogueTest, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(CaptionTest, TrimmedExactMatchFirstInOrder) {
  const CaptionCase& c = GetParam();
  const TEcrCommand* found = commands_.FindByCaption(c.query);
  if (c.expectedId == 0) {
    EXPECT_EQ(found, nullptr);
  } else {
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->ID(), c.expectedId);
  }
}

INSTANTIATE_TEST_SUITE_P(Queries, CaptionTest, ::testing::ValuesIn(kCaptionCases));

TEST_F(CatalogueTest, CaptionWithBlanksInTheCollectionIsTrimmedToo) {
  commands_.Add(5, 0x1111, csUpload, "  padded ");
  const TEcrCommand* found = commands_.FindByCaption("padded");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->ID(), 5);
}

TEST_F(CatalogueTest, UnknownIdAndCodeGiveNone) {
  EXPECT_EQ(commands_.FindByID(99), nullptr);
  EXPECT_EQ(commands_.FindByID(0), nullptr);
  EXPECT_EQ(commands_.FindByCommand(0x1234), nullptr);
  EXPECT_EQ(commands_.FindByCommand(0), nullptr);
}

TEST_F(CatalogueTest, RefillingYieldsTheSameEntries) {
  std::vector<TEcrCommand> before(commands_.begin(), commands_.end());
  InitCommands(commands_);
  ASSERT_EQ(commands_.Count(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(commands_[i].ID(), before[i].ID());
    EXPECT_EQ(commands_[i].Command(), before[i].Command());
    EXPECT_EQ(commands_[i].Status(), before[i].Status());
    EXPECT_EQ(commands_[i].Caption(), before[i].Caption());
  }
}

TEST(EcrCommandTest, FreeStandingItemDefaults) {
  const TEcrCommand item;
  EXPECT_EQ(item.ID(), 1);
  EXPECT_EQ(item.Caption(), "TEcrCommand");
  EXPECT_EQ(item.Command(), 0u);
  EXPECT_EQ(item.Status(), csDownload);
  EXPECT_EQ(item.DisplayName(), "TEcrCommand");
}

TEST(EcrCommandTest, PlainAddNumbersItemsAndShowsClassNameUntilCaptioned) {
  TEcrCommands commands;
  TEcrCommand& first = commands.Add();
  TEcrCommand& second = commands.Add();
  EXPECT_EQ(first.ID(), 1);
  EXPECT_EQ(second.ID(), 2);
  EXPECT_EQ(second.Command(), 0u);
  EXPECT_EQ(second.Status(), csDownload);
  EXPECT_EQ(second.DisplayName(), "TEcrCommand");
  second.SetCaption("   ");
  EXPECT_EQ(second.DisplayName(), "TEcrCommand");
  second.SetCaption(" Sale ");
  EXPECT_EQ(second.DisplayName(), " Sale ");
  // References stay valid while the collection grows.
  for (int i = 0; i < 100; ++i) {
    commands.Add();
  }
  EXPECT_EQ(first.ID(), 1);
  EXPECT_EQ(&commands[0], &first);
}

TEST(EcrCommandTest, RunningNumberCountsEveryInsertionAndSurvivesClear) {
  TEcrCommands commands;
  InitCommands(commands);
  EXPECT_EQ(commands.Add().ID(), 81);
  InitCommands(commands);
  EXPECT_EQ(commands.Count(), 80u);
  EXPECT_EQ(commands.Add().ID(), 162);
}

TEST(EcrCommandTest, AssignCopiesAllFourValues) {
  TEcrCommands commands;
  InitCommands(commands);
  TEcrCommand copy;
  copy.Assign(*commands.FindByID(30008));
  EXPECT_EQ(copy.ID(), 30008);
  EXPECT_EQ(copy.Command(), 0xE0FFu);
  EXPECT_EQ(copy.Status(), csUpload);
  EXPECT_EQ(copy.Caption(), "获取ECR属性");
  copy.SetID(7);
  EXPECT_EQ(commands.FindByCommand(0xE0FF)->ID(), 30008);
}

}  // namespace
}  // namespace meridox::link
