// The report-descriptor parser on descriptors as real devices ship them.
#include <gtest/gtest.h>

#include <vector>

#include "device/report_descriptor.h"

namespace zarvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The boot keyboard every USB keyboard exposes: modifier bitmap, reserved
// byte, six key slots; five LEDs and padding out.
const Bytes kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01, 0x75,
    0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01, 0x05, 0x08,
    0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15,
    0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

// A media-key collection as keyboards send it: one 16-bit consumer usage.
const Bytes kConsumerControl = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x15, 0x00, 0x26, 0x3C, 0x02,
                                0x19, 0x00, 0x2A, 0x3C, 0x02, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};

// The keyboard's command collection: report 4 with 63 bytes each way.
const Bytes kVendorCommand = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26,
                              0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x02,
                              0x91, 0x02, 0xC0};

// One interface carrying a keyboard (report 1), media keys (report 2) and a
// mouse (report 3: three buttons, padding, signed X and Y).
Bytes Composite() {
  Bytes d = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,
             0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x06, 0x75, 0x08,
             0x15, 0x00, 0x26, 0xFF, 0x00, 0x19, 0x00, 0x2A, 0xFF, 0x00, 0x81, 0x00, 0xC0};
  Bytes consumer = kConsumerControl;
  d.insert(d.end(), consumer.begin(), consumer.end());
  const Bytes mouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x03, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09,
                       0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
                       0x95, 0x01, 0x75, 0x05, 0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81,
                       0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};
  d.insert(d.end(), mouse.begin(), mouse.end());
  return d;
}

TEST(ReportDescriptor, BootKeyboard) {
  ReportDescriptorInfo info;
  ASSERT_TRUE(ParseReportDescriptor(kBootKeyboard, info));
  ASSERT_EQ(info.collections.size(), 1u);
  const HidCollectionInfo& c = info.collections[0];
  EXPECT_EQ(c.usage_page, 0x01);
  EXPECT_EQ(c.usage, 0x06);
  EXPECT_FALSE(info.numbered_reports);
  EXPECT_EQ(c.input_report_length, 9);  // 8 bytes + the (zero) id byte
  EXPECT_EQ(c.output_report_length, 2);
  EXPECT_EQ(c.feature_report_length, 0);
  ASSERT_EQ(c.input_buttons.size(), 2u);
  EXPECT_FALSE(c.input_buttons[0].is_array);
  EXPECT_EQ(c.input_buttons[0].usage_min, 0xE0u);
  EXPECT_EQ(c.input_buttons[0].usage_max, 0xE7u);
  EXPECT_TRUE(c.input_buttons[1].is_array);
  EXPECT_EQ(c.input_buttons[1].bit_offset, 16u);  // behind modifiers and the reserved byte

  // Left Shift + A + B held.
  const Bytes report = {0, 0x02, 0, 0x04, 0x05, 0, 0, 0, 0};
  EXPECT_EQ(PressedUsages(c, report, 0x07), (std::vector<std::uint16_t>{0xE1, 0x04, 0x05}));
  EXPECT_TRUE(PressedUsages(c, report, 0x0C).empty());
}

TEST(ReportDescriptor, ConsumerControlArray) {
  ReportDescriptorInfo info;
  ASSERT_TRUE(ParseReportDescriptor(kConsumerControl, info));
  const HidCollectionInfo& c = info.collections[0];
  EXPECT_EQ(c.usage_page, 0x0C);
  EXPECT_EQ(c.usage, 0x01);
  EXPECT_TRUE(info.numbered_reports);
  EXPECT_EQ(c.input_report_length, 3);
  ASSERT_EQ(c.input_buttons.size(), 1u);
  EXPECT_TRUE(c.input_buttons[0].is_array);

  EXPECT_EQ(PressedUsages(c, Bytes{2, 0xE9, 0x00}, 0x0C), (std::vector<std::uint16_t>{0xE9}));
  // Release (usage 0), a value above the logical maximum, another report id.
  EXPECT_TRUE(PressedUsages(c, Bytes{2, 0x00, 0x00}, 0x0C).empty());
  EXPECT_TRUE(PressedUsages(c, Bytes{2, 0x3D, 0x02}, 0x0C).empty());
  EXPECT_TRUE(PressedUsages(c, Bytes{1, 0xE9, 0x00}, 0x0C).empty());
  // A report cut short yields nothing rather than reading past it.
  EXPECT_TRUE(PressedUsages(c, Bytes{2, 0xE9}, 0x0C).empty());
}

TEST(ReportDescriptor, VendorCommandCollectionLengthsCountTheIdByte) {
  ReportDescriptorInfo info;
  ASSERT_TRUE(ParseReportDescriptor(kVendorCommand, info));
  const HidCollectionInfo& c = info.collections[0];
  EXPECT_EQ(c.usage_page, 0xFF1C);
  EXPECT_EQ(c.usage, 0x92);
  EXPECT_EQ(c.input_report_length, 64);
  EXPECT_EQ(c.output_report_length, 64);
  EXPECT_TRUE(c.input_buttons.empty());
  ASSERT_EQ(c.input_values.size(), 1u);
  EXPECT_EQ(c.input_values[0].count, 63u);
}

TEST(ReportDescriptor, CompositeKeepsCollectionsApart) {
  ReportDescriptorInfo info;
  ASSERT_TRUE(ParseReportDescriptor(Composite(), info));
  ASSERT_EQ(info.collections.size(), 3u);
  EXPECT_EQ(info.collections[0].usage, 0x06);
  EXPECT_EQ(info.collections[0].input_report_length, 8);
  EXPECT_EQ(info.collections[1].usage_page, 0x0C);
  EXPECT_EQ(info.collections[1].input_report_length, 3);
  const HidCollectionInfo& mouse = info.collections[2];
  EXPECT_EQ(mouse.usage, 0x02);
  EXPECT_EQ(mouse.input_report_length, 4);
  ASSERT_EQ(mouse.input_values.size(), 2u);
  EXPECT_EQ(mouse.input_values[0].usage, 0x30u);
  EXPECT_EQ(mouse.input_values[1].usage, 0x31u);

  // Buttons 1 and 3, X = -1, Y = 5.
  const Bytes report = {3, 0x05, 0xFF, 0x05};
  EXPECT_EQ(PressedUsages(mouse, report, 0x09), (std::vector<std::uint16_t>{1, 3}));
  std::uint32_t raw = 0;
  std::int32_t scaled = 0;
  ASSERT_TRUE(ReadFieldValue(mouse.input_values[0], report, raw, scaled));
  EXPECT_EQ(raw, 0xFFu);
  EXPECT_EQ(scaled, -1);
  ASSERT_TRUE(ReadFieldValue(mouse.input_values[1], report, raw, scaled));
  EXPECT_EQ(scaled, 5);
  EXPECT_FALSE(ReadFieldValue(mouse.input_values[0], Bytes{1, 0, 0, 0}, raw, scaled));
}

TEST(ReportDescriptor, ScalesOntoThePhysicalRange) {
  // 0..255 logical mapped onto 0..1000 physical.
  const Bytes d = {0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x09, 0x32, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x35, 0x00,
                   0x46, 0xE8, 0x03, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0};
  ReportDescriptorInfo info;
  ASSERT_TRUE(ParseReportDescriptor(d, info));
  ASSERT_EQ(info.collections[0].input_values.size(), 1u);
  std::uint32_t raw = 0;
  std::int32_t scaled = 0;
  ASSERT_TRUE(ReadFieldValue(info.collections[0].input_values[0], Bytes{0, 255}, raw, scaled));
  EXPECT_EQ(scaled, 1000);
}

TEST(ReportDescriptor, RefusesDamagedDescriptors) {
  const std::vector<Bytes> damaged = {
      {},                                                     // nothing
      {0x05, 0x01, 0x09, 0x06},                               // no collection
      {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01},                   // collection never ends
      {0xC0},                                                 // end without start
      {0x05, 0x01, 0xA1, 0x01, 0x26, 0xFF},                   // item cut short
      {0x05, 0x01, 0xA1, 0x01, 0x85, 0x00, 0xC0},             // report id 0
      {0xB4, 0xA1, 0x01, 0xC0},                               // pop without push
      {0x05, 0x01, 0xA1, 0x01, 0x75, 0x20, 0x96, 0xFF, 0xFF,  // 8 MiB report
       0x81, 0x02, 0xC0},
      {0xFE, 0x10, 0x00},                                     // long item past the end
  };
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    ReportDescriptorInfo info;
    EXPECT_FALSE(ParseReportDescriptor(damaged[i], info)) << "case " << i;
  }
}

}  // namespace
}  // namespace zarvel
