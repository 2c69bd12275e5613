// The names the enumeration logs for formats, creation flags and device types.
#include <gtest/gtest.h>

#include <string>

#include "format_names.h"

namespace {

std::string Text(const KrStringT<char>& text) {
    return text.Text() != nullptr ? std::string(text.Text()) : std::string();
}

TEST(FormatNames, EveryFormatOfTheTableAndNothingElseHasAName) {
    struct Row {
        unsigned int value;
        const char* name;
    };
    const Row rows[] = {
        {0, "D3DFMT_UNKNOWN"},       {20, "D3DFMT_R8G8B8"},       {21, "D3DFMT_A8R8G8B8"},
        {22, "D3DFMT_X8R8G8B8"},     {23, "D3DFMT_R5G6B5"},       {24, "D3DFMT_X1R5G5B5"},
        {25, "D3DFMT_A1R5G5B5"},     {26, "D3DFMT_A4R4G4B4"},     {27, "D3DFMT_R3G3B2"},
        {28, "D3DFMT_A8"},           {29, "D3DFMT_A8R3G3B2"},     {30, "D3DFMT_X4R4G4B4"},
        {40, "D3DFMT_A8P8"},         {41, "D3DFMT_P8"},           {50, "D3DFMT_L8"},
        {51, "D3DFMT_A8L8"},         {52, "D3DFMT_A4L4"},         {60, "D3DFMT_V8U8"},
        {61, "D3DFMT_L6V5U5"},       {62, "D3DFMT_X8L8V8U8"},     {63, "D3DFMT_Q8W8V8U8"},
        {64, "D3DFMT_V16U16"},       {70, "D3DFMT_D16_LOCKABLE"}, {71, "D3DFMT_D32"},
        {73, "D3DFMT_D15S1"},        {75, "D3DFMT_D24S8"},        {77, "D3DFMT_D24X8"},
        {79, "D3DFMT_D24X4S4"},      {80, "D3DFMT_D16"},          {100, "D3DFMT_VERTEXDATA"},
        {101, "D3DFMT_INDEX16"},     {102, "D3DFMT_INDEX32"},     {0x59565955, "D3DFMT_UYVY"},
        {0x32595559, "D3DFMT_YUY2"}, {0x31545844, "D3DFMT_DXT1"}, {0x32545844, "D3DFMT_DXT2"},
        {0x33545844, "D3DFMT_DXT3"}, {0x34545844, "D3DFMT_DXT4"}, {0x35545844, "D3DFMT_DXT5"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.name, Text(FormatName(static_cast<D3DFORMAT>(row.value)))) << row.value;
    }
    // The enumeration's own fourth format has no name; neither have neighbours of named values.
    for (unsigned int unnamed :
         {35u, 1u, 19u, 31u, 72u, 74u, 76u, 78u, 81u, 103u, 0x36545844u, 0xFFFFFFFFu}) {
        EXPECT_EQ("INVALID_FORMAT", Text(FormatName(static_cast<D3DFORMAT>(unnamed)))) << unnamed;
    }
}

TEST(FormatNames, BehaviourTokensFollowTheirOwnOrderAndOnlyTheLowByte) {
    EXPECT_EQ("-HW_VP--PURE-", Text(BehaviorFlagsText(0x50)));
    EXPECT_EQ("-SW_VP-", Text(BehaviorFlagsText(0x20)));
    EXPECT_EQ("", Text(BehaviorFlagsText(0x100)));
    EXPECT_EQ("", Text(BehaviorFlagsText(0)));
    EXPECT_EQ("-FPU_PRESERVE--HW_VP--MIXED_VP--MULTITHREADED--PURE--SW_VP-",
              Text(BehaviorFlagsText(0xFF)));
    // Bits outside the low byte never add a token, whatever they are.
    EXPECT_EQ("-MULTITHREADED-", Text(BehaviorFlagsText(0xFFFFFF04)));
}

TEST(FormatNames, DeviceTypesOutsideTheThreeAreUnknown) {
    EXPECT_EQ("HAL", Text(DeviceTypeName(D3DDEVTYPE_HAL)));
    EXPECT_EQ("REF", Text(DeviceTypeName(D3DDEVTYPE_REF)));
    EXPECT_EQ("SW", Text(DeviceTypeName(D3DDEVTYPE_SW)));
    EXPECT_EQ("UNKNOWN", Text(DeviceTypeName(static_cast<D3DDEVTYPE>(4))));
    EXPECT_EQ("UNKNOWN", Text(DeviceTypeName(static_cast<D3DDEVTYPE>(0))));
}

}  // namespace
