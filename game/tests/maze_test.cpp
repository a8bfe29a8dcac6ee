#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "maze.h"
#include "maze_scene.h"

namespace {

// The generator written again from its arithmetic: two decks dealt without replacement, the
// candidate wall numbers mapped onto the inner block, labels merged toward the smaller.
int32_t ReferenceDraw(MazeModel& m, int32_t deck) {
    if (m.mazeSteps == 0) {
        for (int32_t i = 0; i < kMazeDeckSize; ++i)
            m.verticalDeck[i] = m.horizontalDeck[i] = static_cast<uint8_t>(i);
        m.verticalDeckCount = m.horizontalDeckCount = kMazeDeckSize;
    }
    uint8_t* cards = deck == 0 ? m.verticalDeck : m.horizontalDeck;
    int32_t& count = deck == 0 ? m.verticalDeckCount : m.horizontalDeckCount;
    const int32_t k = crt::rand() % count;
    const int32_t drawn = cards[k];
    cards[k] = cards[--count];
    return drawn;
}

void ReferenceExamine(MazeModel& m, int32_t a, int32_t b, int8_t& wall) {
    m.mazeSteps += 1;
    if (m.cellLabel[a] == m.cellLabel[b]) return;
    const int8_t winner = std::min(m.cellLabel[a], m.cellLabel[b]);
    const int8_t loser = std::max(m.cellLabel[a], m.cellLabel[b]);
    for (int8_t& label : m.cellLabel)
        if (label == loser) label = winner;
    wall = 0;
}

void ReferenceStep(MazeModel& m) {
    if (m.mazeSteps == 0) {
        for (int32_t i = 0; i < kMazeCells; ++i)
            m.cellLabel[i] = static_cast<int8_t>(i);
        std::fill_n(m.verticalWall, kMazeWalls, 1);
        std::fill_n(m.horizontalWall, kMazeWalls, 1);
    }
    if (m.mazeSteps >= kMazeLastStep) return;
    const int32_t d = ReferenceDraw(m, 0);
    const int32_t v = 9 * (d % 8 + 1) + d / 8 + 1;
    if (m.verticalWall[v] > 0) ReferenceExamine(m, v + v / 9, v + v / 9 + 1, m.verticalWall[v]);
    const int32_t e = ReferenceDraw(m, 1);
    const int32_t h = 10 * (e % 7 + 1) + e / 7 + 1;
    if (m.horizontalWall[h] > 0) ReferenceExamine(m, h, h + 10, m.horizontalWall[h]);
}

bool IsInner(int32_t cell) {
    const int32_t row = cell / 10, column = cell % 10;
    return row >= 1 && row <= 8 && column >= 1 && column <= 8;
}

// Every step of many seeded runs, and steps past the end, which change nothing and draw no
// random numbers. After 56 calls (the scene's first 55 frames) the maze is a spanning tree of
// the inner block: 112 walls examined, 63 removed, every inner cell in part 11.
TEST(MazeGenerator, EveryStepMatchesTheReferenceAndTheMazeSpansTheInnerBlock) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::vector<MazeModel> steps;
        maze = MazeModel{};
        crt::srand(seed);
        for (int call = 0; call < 60; ++call) {
            MazeStep();
            steps.push_back(maze);
        }
        const int after = crt::rand();
        MazeModel reference{};
        crt::srand(seed);
        for (int call = 0; call < 60; ++call) {
            ReferenceStep(reference);
            ASSERT_EQ(std::memcmp(&reference, &steps[call], sizeof reference), 0)
                << "seed " << seed << ", call " << call + 1;
        }
        EXPECT_EQ(crt::rand(), after) << "seed " << seed;
        const MazeModel& complete = steps[55];
        EXPECT_EQ(complete.mazeSteps, 112);
        EXPECT_EQ(std::count(complete.verticalWall, complete.verticalWall + kMazeWalls, 0) +
                      std::count(complete.horizontalWall, complete.horizontalWall + kMazeWalls, 0),
                  63);
        for (int32_t cell = 0; cell < kMazeCells; ++cell)
            EXPECT_EQ(complete.cellLabel[cell], IsInner(cell) ? 11 : cell) << "cell " << cell;
    }
}

// A wall is the same seen from either side: facing north from a cell and south from the cell
// north of it, east from a cell and west from the cell east of it.
TEST(MazeWalls, AWallAheadIsTheSameSeenFromEitherSide) {
    maze = MazeModel{};
    crt::srand(5);
    for (int call = 0; call < 56; ++call)
        MazeStep();
    const auto seen = [](int32_t x, int32_t y, int32_t facing) {
        mazeScene.playerX = x;
        mazeScene.playerY = y;
        mazeScene.facing = facing;
        return WallAhead();
    };
    for (int32_t i = 0; i < 56; ++i) {
        const int32_t along = i % 8, across = i / 8;
        EXPECT_EQ(seen(along, -1 - across, 0), seen(along, -2 - across, 2)) << i;
        EXPECT_EQ(seen(across, -1 - along, 1), seen(across + 1, -1 - along, 3)) << i;
    }
    mazeScene = MazeSceneState{};
}

}  // namespace
