// Log statements made to look as if they stood in other source files, at other lines.
#include "pellux/foundation/Logger.h"

void logFromSixteenCharacterNameAtLine186(Logger& logger)
{
#line 186 "C:\\pellux\\engine\\src\\RenderTarget.cpp"
    LOG(logger.err) << "fbo not complete" << std::endl;
}

void logFromTwentyCharacterName(Logger& logger)
{
#line 42 "/home/user/pellux/TwentyCharacters.cpp"
    LOG(logger.info) << "exact width" << std::endl;
}

void logFromTwentyFiveCharacterName(Logger& logger)
{
#line 42 "/home/user/pellux/TwentyFiveCharacters1.cpp"
    LOG(logger.info) << "long name" << std::endl;
}

void logFromPathWithoutSeparator(Logger& logger)
{
#line 7 "Plain.cpp"
    LOG(logger.trace) << "plain" << std::endl;
}

void logFromSevenDigitLine(Logger& logger)
{
#line 1234567 "Large.cpp"
    LOG(logger.info) << "far down" << std::endl;
}
