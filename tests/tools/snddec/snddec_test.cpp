// snddec from the command line: a compressed WAVE decodes as sox decodes it, 8-bit PCM widens
// to 16 bits, and a file that is no sound source exits with status 1.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/external_tools.h"
#include "tests/support/fixture_paths.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/riff_writer.h"

namespace tessera::test {
namespace {

std::string dataOf(const std::string& wave) { return wave.size() > 44 ? wave.substr(44) : ""; }

TEST(Snddec, DecodesAsSoxDoes) {
    REQUIRE_TOOL("sox");
    const std::string snddec = requiredEnv("SNDDEC");
    TempDir dir;
    const std::string signal = dir.file("signal.wav"), ima = dir.file("ima.wav");
    ASSERT_TRUE(runCommand("sox -n -r 16000 -c 2 -b 16 " + signal + " synth 0.5 sine 300-5000"));
    ASSERT_TRUE(runCommand("sox " + signal + " -e ima-adpcm " + ima));
    ASSERT_TRUE(runCommand("sox " + ima + " -e signed-integer -b 16 " + dir.file("sox.wav")));
    ASSERT_TRUE(runCommand(snddec + " " + ima + " " + dir.file("ours.wav")));
    const std::string ours = readFileBytes(dir.file("ours.wav"));
    EXPECT_EQ(ours.compare(0, 4, "RIFF"), 0);
    EXPECT_TRUE(dataOf(ours) == dataOf(readFileBytes(dir.file("sox.wav"))));
}

TEST(Snddec, WidensEightBitPcmAndRefusesOtherFiles) {
    const std::string snddec = requiredEnv("SNDDEC");
    TempDir dir;
    const std::string eight =
        dir.write("eight.wav", tools::writers::pcmWave(1, 8000, 8, std::string("\x80\xFF\x00", 3)));
    ASSERT_TRUE(runCommand(snddec + " " + eight + " " + dir.file("out.wav")));
    EXPECT_EQ(dataOf(readFileBytes(dir.file("out.wav"))),
              std::string("\x00\x00\x00\x7F\x00\x80", 6));
    const std::string text = dir.write("notes.txt", "not a sound");
    EXPECT_EQ(commandExitStatus(snddec + " " + text + " " + dir.file("x.wav") + " 2>/dev/null"), 1);
}

}  // namespace
}  // namespace tessera::test
