#include "pellux/foundation/Logger.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <limits>

void logFromSixteenCharacterNameAtLine186(Logger& logger);
void logFromTwentyCharacterName(Logger& logger);
void logFromTwentyFiveCharacterName(Logger& logger);
void logFromPathWithoutSeparator(Logger& logger);
void logFromSevenDigitLine(Logger& logger);

namespace
{
// A logger of the test's own, created with its opening empty lines out of the way.
class LoggerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        captureStdout([&] { logger = std::make_unique<Logger>(); });
    }

    std::unique_ptr<Logger> logger;
};

TEST(LoggerCreation, WritesFiveEmptyLinesAndNothingElse)
{
    EXPECT_EQ(captureStdout([] { Logger logger; }), "\n\n\n\n\n");
}

TEST(LoggerCreation, LevelsHaveTheirNamesValuesAndOwner)
{
    std::unique_ptr<Logger> created;
    captureStdout([&] { created = std::make_unique<Logger>(); });
    Logger& logger = *created;
    struct Expected { const LogStream* stream; const char* name; int value; };
    for (const Expected& level : {Expected{&logger.all, "ALL", 0}, Expected{&logger.trace, "TRACE", 5},
                                  Expected{&logger.debug, "DEBUG", 10}, Expected{&logger.info, "INFO", 15},
                                  Expected{&logger.err, "ERR", 20}})
    {
        EXPECT_EQ(level.stream->name, level.name);
        EXPECT_EQ(level.stream->value, level.value);
        EXPECT_EQ(level.stream->owner, &logger);
        EXPECT_TRUE(level.stream->atLineStart);
    }
    EXPECT_EQ(logger.getThreshold().value, 0);
}

TEST(LoggerCreation, DestroyingAnotherLoggerKeepsTheSingleton)
{
    createLoggerQuietly();
    Logger* singleton = &Logger::getInstance();
    captureStdout([] { Logger local; });
    EXPECT_EQ(&Logger::getInstance(), singleton);
}

struct LayoutCase
{
    const char* description;
    void (*write)(Logger&);
    const char* expected;
};

TEST_F(LoggerTest, LineLayoutPadsTheSourceNameAndWritesTheLineNumber)
{
    const LayoutCase cases[] = {
        {"16-character name, backslashes, 3-digit line", logFromSixteenCharacterNameAtLine186,
         "ERR:\t[ RenderTarget.cpp     (186)]:\tfbo not complete\n"},
        {"name of exactly 20 characters", logFromTwentyCharacterName,
         "INFO:\t[ TwentyCharacters.cpp (42)]:\texact width\n"},
        {"name longer than 20 characters is never cut", logFromTwentyFiveCharacterName,
         "INFO:\t[ TwentyFiveCharacters1.cpp (42)]:\tlong name\n"},
        {"path without separator is the name", logFromPathWithoutSeparator,
         "TRACE:\t[ Plain.cpp            (7)]:\tplain\n"},
        {"7-digit line in exponent notation", logFromSevenDigitLine,
         "INFO:\t[ Large.cpp            (1.23457e+06)]:\tfar down\n"},
    };
    for (const LayoutCase& layout : cases)
        EXPECT_EQ(captureStdout([&] { layout.write(*logger); }), layout.expected) << layout.description;
}

TEST_F(LoggerTest, PrefixIsWrittenOncePerLine)
{
    EXPECT_EQ(captureStdout([&] { logger->info << "first" << std::string(" second") << std::endl; }),
              "INFO:\tfirst second\n");
}

TEST_F(LoggerTest, StatementWithoutLineEndContinuesOnTheNextStatement)
{
    EXPECT_EQ(captureStdout([&] {
                  logger->err << "begun";
                  logger->err << " and ended" << std::endl;
              }),
              "ERR:\tbegun and ended\n");
}

TEST_F(LoggerTest, EachLevelKeepsItsOwnLineStart)
{
    EXPECT_EQ(captureStdout([&] {
                  logger->info << "info";
                  logger->err << "error" << std::endl;
                  logger->info << std::endl;
              }),
              "INFO:\tinfoERR:\terror\n\n");
}

TEST_F(LoggerTest, FloatsUseSixSignificantDigits)
{
    struct FloatCase { float value; const char* text; };
    for (const FloatCase& number : {FloatCase{186.0f, "186"}, FloatCase{0.5f, "0.5"}, FloatCase{59.83f, "59.83"},
                                    FloatCase{999999.0f, "999999"}, FloatCase{1234567.0f, "1.23457e+06"},
                                    FloatCase{-2.25f, "-2.25"}})
        EXPECT_EQ(captureStdout([&] { logger->info << number.value << std::endl; }),
                  std::string("INFO:\t") + number.text + "\n");
}

TEST_F(LoggerTest, PointersAreWrittenAsTheStandardStreamWritesThem)
{
    const void* address = reinterpret_cast<const void*>(0x1234);
    EXPECT_EQ(captureStdout([&] { logger->trace << "glCreateShader: " << address << std::endl; }),
              "TRACE:\tglCreateShader: 0x1234\n");
}

TEST_F(LoggerTest, LevelsBelowTheThresholdWriteNothingAndKeepTheirLineStart)
{
    logger->setThreshold(logger->info);
    EXPECT_EQ(captureStdout([&] {
                  logger->trace << "hidden" << 3.0f << std::endl;
                  logger->debug << "hidden too";
              }),
              "");
    EXPECT_TRUE(logger->trace.atLineStart);
    EXPECT_TRUE(logger->debug.atLineStart);
    EXPECT_EQ(captureStdout([&] { logger->info << "shown" << std::endl; }), "INFO:\tshown\n");
    EXPECT_EQ(captureStdout([&] { logger->err << "shown" << std::endl; }), "ERR:\tshown\n");
}

TEST_F(LoggerTest, AnInfiniteValueIsWrittenAsInf)
{
    EXPECT_EQ(captureStdout([&] { logger->info << std::numeric_limits<float>::infinity() << std::endl; }),
              "INFO:\tinf\n");
}
}
