// Every failing query of the enumeration ends the start with its one warning, the critical line
// and a false result, and leaves the configuration as it was.
#include "enum_fixture.h"

namespace {

using krtest::ScriptedD3D;

class EnumerationFailures : public enumtest::ScriptedStart {};

TEST_F(EnumerationFailures, EachFailingQueryEndsTheStartWithItsOneWarning) {
    struct Case {
        ScriptedD3D::Query query;
        int adapters;
        const char* warning;
    };
    const Case cases[] = {
        {ScriptedD3D::kGetAdapterIdentifier, 2,
         "WARNING: FAILED GetAdapterIdentifier(...) on adapter #1"},
        {ScriptedD3D::kGetAdapterDisplayMode, 2,
         "WARNING: FAILED GetAdapterDisplayMode(...) on adapter #1"},
        {ScriptedD3D::kEnumAdapterModes, 2, "WARNING: Failed EnumAdapterModes(...) on adapter #1"},
        {ScriptedD3D::kGetDeviceCaps, 2,
         "WARNING: FAILED GetDeviceCaps(...) on adapter #1, device #0"},
        {ScriptedD3D::kQueryCount, 0, "WARNING: No adapters detected"},
    };
    const std::string ini = enumtest::Ini(false, 800, 600);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.warning);
        Renew();
        for (int a = 0; a < c.adapters; ++a) {
            d3d->AddAdapter("Card", "x.dll");
            enumtest::AddUsualModes(*d3d, a);
        }
        if (c.query != ScriptedD3D::kQueryCount) {
            d3d->Fail(c.query, E_FAIL, 1);
        }
        EXPECT_FALSE(Start(ini));
        std::vector<std::string> lines = krtest::LogLines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(c.warning, lines[lines.size() - 2]) << krtest::Join(lines);
        EXPECT_EQ("WARNING: Critical error during KrD3DRenDev::InitAPI()", lines.back());
        int warnings = 0;
        for (const std::string& line : lines) {
            warnings += line.find("WARNING") != std::string::npos ? 1 : 0;
        }
        EXPECT_EQ(2, warnings);
        std::vector<enumtest::Line> kinds = enumtest::CapturedLines();
        EXPECT_FALSE(kinds[kinds.size() - 2].first) << "an ordinary line";
        EXPECT_TRUE(kinds.back().first) << "a debug line";
        EXPECT_EQ(ini, IniText()) << "a failed enumeration writes no setting";
        EXPECT_EQ(-1, device->CurrentAdapter());
    }
}

}  // namespace
