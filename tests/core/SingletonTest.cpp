#include "pellux/foundation/Singleton.h"

#include <gtest/gtest.h>

namespace
{
struct Counted : Singleton<Counted>
{
    Counted() { ++constructions; }
    static int constructions;
};
int Counted::constructions = 0;

TEST(Singleton, CreatesOneInstanceOnFirstUseAndANewOneAfterItsDestruction)
{
    Counted::constructions = 0;
    Counted* first = &Counted::getInstance();
    EXPECT_EQ(&Counted::getInstance(), first);
    EXPECT_EQ(Counted::constructions, 1);

    {
        Counted unrelated;
    }
    EXPECT_EQ(&Counted::getInstance(), first) << "destroying another object forgot the instance";

    delete first;
    Counted::getInstance();
    EXPECT_EQ(Counted::constructions, 3);
}
}
