#include "printers/settings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(DefaultSettings, HoldTheBuiltInValues) {
    AppSettings settings;
    std::memset(&settings, 0x5A, sizeof(settings));
    FillDefaultSettings(&settings);
    EXPECT_EQ(settings.backupFilePath[0], u'\0') << "no backup file until the operator picks one";
    EXPECT_EQ(settings.versionKind, 9) << "the default selects no version text";
    EXPECT_STREQ(settings.modelList, "Korvil 2950MFP-D,Korvil 2950MFP-N");
}

} // namespace
