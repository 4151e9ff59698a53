#include "app/application_title.h"

#include <gtest/gtest.h>

namespace talvex::app {
namespace {

struct Case {
  const char* path;
  const char* title;
};

const Case kCases[] = {
    {"/opt/TALVEX.Service.exe", "Talvex"},
    {"talvex", "talvex"},
    {"./build/dev/talvex", "talvex"},
    {"C:\\Program Files\\Talvex\\PRINT.EXE", "Print"},
    {"/opt/release.2/TalVex", "Talvex"},
    {"/usr/bin/x", "x"},
    {"/usr/bin/print-Queue_2", "print-queue_2"},
    {"/opt/.hidden", ""},
    {"", ""},
    {"/opt/ДРАЙВЕР.exe", "Драйвер"},
    {"/opt/ЁЛКА", "Ёлка"},
    {"/opt/ёЛКА", "ёлка"},
    {"/opt/ÀÉÎ×", "Àéî×"},
    {"/opt/A\xFF"
     "B",
     "A\xFF"
     "b"},
};

TEST(ApplicationTitle, IsTheFileNameUpToItsFirstDotWithTheRestInLowerCase) {
  for (const Case& c : kCases)
    EXPECT_EQ(application_title(c.path), c.title) << c.path;
}

}  // namespace
}  // namespace talvex::app
