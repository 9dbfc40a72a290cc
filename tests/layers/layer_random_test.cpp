#include "layers/layer_random.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(LayerRandom, ExactSequencesOfKnownSeeds)
{
    CLayerRandom random;
    random.Initialise(12345, 0, 255);
    for (uint32_t expected : {98u, 73u, 20u, 141u, 161u})
        EXPECT_EQ(random.Next(), expected);
    EXPECT_EQ(random.count, 5u);
    EXPECT_EQ(random.state, 2721613530u);
    EXPECT_EQ(random.seed, 12345u);

    random.Initialise(0xFFFFFFFFu, 10, 20); // the state wraps; results start at Low
    for (uint32_t expected : {19u, 12u, 15u})
        EXPECT_EQ(random.Next(), expected);
    random.Initialise(7, 100, 100000);
    for (uint32_t expected : {22043u, 83922u, 25252u})
        EXPECT_EQ(random.Next(), expected);
}

TEST(LayerRandom, CopiesRunIndependently)
{
    CLayerRandom stored;
    stored.Initialise(99, 0, 255);
    CLayerRandom first = stored, second = stored;
    for (int i = 0; i < 100; ++i) {
        const uint32_t value = first.Next();
        EXPECT_LT(value, 255u);
        EXPECT_EQ(second.Next(), value);
    }
    EXPECT_EQ(stored.state, 99u);
}
