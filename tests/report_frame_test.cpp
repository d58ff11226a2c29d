// Request frames and checksums, byte for byte.
#include <gtest/gtest.h>

#include <vector>

#include "device/device_info_record.h"
#include "device/report_frame.h"

namespace zarvel {
namespace {

std::vector<std::uint8_t> Expect(std::initializer_list<std::uint8_t> head) {
  std::vector<std::uint8_t> r(head);
  r.resize(kReportSize, 0);
  return r;
}

std::vector<std::uint8_t> AsVector(const Report& r) { return {r.begin(), r.end()}; }

TEST(ReportFrame, GoldenRequests) {
  EXPECT_EQ(AsVector(BuildBracketRequest(Command::kBeginTransfer)), Expect({0x04, 0x01, 0x00, 0x01}));
  EXPECT_EQ(AsVector(BuildBracketRequest(Command::kEndTransfer)), Expect({0x04, 0x02, 0x00, 0x02}));
  EXPECT_EQ(AsVector(BuildRequest(Command::kReadDeviceInfo, 0x2C, 0)), Expect({0x04, 0x2F, 0x00, 0x03, 0x2C}));
  // Three colour bytes for colour index 0 of profile 2: offset 0x400, low byte first.
  const std::uint8_t red[] = {0xFF, 0x00, 0x00};
  EXPECT_EQ(AsVector(BuildRequest(Command::kWriteKeyColours, 3, 0x400, red)),
            Expect({0x04, 0x17, 0x01, 0x11, 0x03, 0x00, 0x04, 0x00, 0xFF, 0x00, 0x00}));
}

TEST(ReportFrame, ChecksumCoversBytesThreeOnward) {
  Report r{};
  r.fill(0xFF);
  // 61 bytes of 0xFF: the largest possible sum; id and checksum bytes not summed.
  EXPECT_EQ(ReportChecksum(r), 0x3CC3);
  r[0] = 0;
  r[1] = 0;
  r[2] = 0;
  EXPECT_EQ(ReportChecksum(r), 0x3CC3);
}

TEST(ReportFrame, PayloadIsCutAtFiftySixBytes) {
  std::vector<std::uint8_t> big(80, 0x11);
  const Report r = BuildRequest(Command::kWriteMacroArea, 56, 0, big);
  EXPECT_EQ(r[63], 0x11);
  EXPECT_EQ(ReportChecksum(r), 0x0A + 56 + 56 * 0x11);
}

TEST(ReportFrame, OnlyTwoStatusesAreRefusals) {
  struct Case {
    std::uint8_t status;
    int result;
  };
  for (const Case c : {Case{0x00, 1}, Case{0x01, 1}, Case{0xFD, 1}, Case{0xFE, -103}, Case{0xFF, -102}}) {
    Report reply{};
    reply[7] = c.status;
    EXPECT_EQ(ReplyStatusResult(reply), c.result) << int{c.status};
  }
}

TEST(ReportFrame, TraceLines) {
  const Report r = BuildBracketRequest(Command::kBeginTransfer);
  const std::string line = TraceRequestLine(r);
  EXPECT_EQ(line.size(), 2u + 64 * 3 - 1);
  EXPECT_EQ(line.substr(0, 14), "> 04 01 00 01 ");
  EXPECT_EQ(TraceReplyLine(r).substr(0, 2), "< ");
  EXPECT_EQ(line.back(), '0');
}

TEST(DeviceInfoRecord, ParsesNamedFieldsAndRefusesShortRecords) {
  DeviceInfoRecord record{};
  record[8] = 0x08;
  record[9] = 0x01;
  record[10] = 2;
  record[11] = 64;
  record[12] = 20;
  DeviceInfo info;
  ASSERT_TRUE(ParseDeviceInfo(record, info));
  EXPECT_EQ(info.firmware_version, 0x0108);
  EXPECT_EQ(info.active_profile, 2);
  EXPECT_EQ(info.MacroCapacityBytes(), 8192u);
  EXPECT_TRUE(info.OffersEffect(20));
  EXPECT_FALSE(info.OffersEffect(0));  // empty entries are not effects

  DeviceInfo untouched;
  EXPECT_FALSE(ParseDeviceInfo(std::span<const std::uint8_t>(record).first(43), untouched));
  EXPECT_EQ(untouched.firmware_version, 0);

  DeviceInfoRecord back{};
  back[0] = 0xAB;
  StoreDeviceInfo(info, back);
  EXPECT_EQ(back[0], 0xAB);  // bytes 0..7 are not the fields'
  EXPECT_EQ(std::vector<std::uint8_t>(back.begin() + 8, back.end()),
            std::vector<std::uint8_t>(record.begin() + 8, record.end()));
}

}  // namespace
}  // namespace zarvel
