#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "maze.h"

namespace {

struct Wall {
    int32_t a, b;
};

Wall VerticalCells(int32_t v) {
    return {v + v / 9, v + v / 9 + 1};
}
Wall HorizontalCells(int32_t h) {
    return {h, h + 10};
}

bool IsInner(int32_t cell) {
    const int32_t row = cell / 10, column = cell % 10;
    return row >= 1 && row <= 8 && column >= 1 && column <= 8;
}
bool IsVerticalCandidate(int32_t v) {
    const int32_t row = v / 9, column = v % 9;
    return row >= 1 && row <= 8 && column >= 1 && column <= 7;
}
bool IsHorizontalCandidate(int32_t h) {
    const int32_t row = h / 10, column = h % 10;
    return row >= 1 && row <= 7 && column >= 1 && column <= 8;
}

// The parts of the grid joined through removed walls, found by flooding rather than by labels.
std::vector<int32_t> ConnectedParts() {
    std::vector<int32_t> part(kMazeCells, -1);
    for (int32_t start = 0; start < kMazeCells; ++start) {
        if (part[start] >= 0) continue;
        std::vector<int32_t> pending{start};
        part[start] = start;
        while (!pending.empty()) {
            const int32_t cell = pending.back();
            pending.pop_back();
            auto visit = [&](const Wall& wall, bool removed) {
                if (!removed) return;
                const int32_t other = wall.a == cell ? wall.b : wall.a;
                if (part[other] < 0) {
                    part[other] = start;
                    pending.push_back(other);
                }
            };
            for (int32_t v = 0; v < kMazeWalls; ++v) {
                const Wall wall = VerticalCells(v);
                if (wall.a == cell || wall.b == cell) visit(wall, maze.verticalWall[v] == 0);
            }
            for (int32_t h = 0; h < kMazeWalls; ++h) {
                const Wall wall = HorizontalCells(h);
                if (wall.a == cell || wall.b == cell) visit(wall, maze.horizontalWall[h] == 0);
            }
        }
    }
    return part;
}

int RemovedWalls() {
    int removed = 0;
    for (int32_t i = 0; i < kMazeWalls; ++i)
        removed += (maze.verticalWall[i] == 0) + (maze.horizontalWall[i] == 0);
    return removed;
}

class MazeTest : public ::testing::Test {
  protected:
    void SetUp() override { maze = MazeModel{}; }

    // The maze scene's first frame takes two steps, every later frame one.
    void RunFrames(unsigned seed, int frames) {
        crt::srand(seed);
        MazeStep();
        for (int frame = 0; frame < frames; ++frame)
            MazeStep();
    }
};

TEST_F(MazeTest, CompleteAfterFiftyFiveFramesAsASpanningTreeOfTheInnerBlock) {
    RunFrames(1, 54);
    EXPECT_EQ(maze.mazeSteps, 110);
    MazeStep();
    ASSERT_EQ(maze.mazeSteps, 112);
    EXPECT_EQ(RemovedWalls(), 63);
    for (int32_t cell = 0; cell < kMazeCells; ++cell)
        EXPECT_EQ(maze.cellLabel[cell], IsInner(cell) ? 11 : cell) << "cell " << cell;
    for (int32_t i = 0; i < kMazeWalls; ++i) {
        if (!IsVerticalCandidate(i)) {
            EXPECT_EQ(maze.verticalWall[i], 1) << "vertical " << i;
        }
        if (!IsHorizontalCandidate(i)) {
            EXPECT_EQ(maze.horizontalWall[i], 1) << "horizontal " << i;
        }
    }
    EXPECT_EQ(maze.verticalDeckCount, 0);
    EXPECT_EQ(maze.horizontalDeckCount, 0);
}

TEST_F(MazeTest, LabelsDescribeTheConnectedPartsAfterEveryStep) {
    crt::srand(20261206);
    int previousRemoved = 0;
    for (int call = 1; call <= 56; ++call) {
        MazeStep();
        ASSERT_EQ(maze.mazeSteps, 2 * call);
        const std::vector<int32_t> part = ConnectedParts();
        for (int32_t a = 0; a < kMazeCells; ++a) {
            for (int32_t b = a + 1; b < kMazeCells; ++b) {
                ASSERT_EQ(part[a] == part[b], maze.cellLabel[a] == maze.cellLabel[b])
                    << "cells " << a << " and " << b << " after call " << call;
            }
        }
        // Each step removes at most its two walls; a wall between connected cells stays.
        const int removed = RemovedWalls();
        EXPECT_LE(removed - previousRemoved, 2);
        previousRemoved = removed;
    }
    // 112 walls examined, 63 removed: 49 met cells already connected and still counted.
    EXPECT_EQ(previousRemoved, 63);
}

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

// Every step of many seeded runs, and steps past the end, which change nothing and draw no
// random numbers.
TEST_F(MazeTest, EveryStepMatchesTheReferenceGenerator) {
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
    }
}

TEST_F(MazeTest, AnUnknownOrEmptyDeckDrawsNothing) {
    crt::srand(3);
    DrawWallNumber(0);  // fills both decks
    maze.mazeSteps = 1;
    const int next = crt::rand();
    crt::srand(3);
    crt::rand();
    EXPECT_EQ(DrawWallNumber(2), 0);
    EXPECT_EQ(DrawWallNumber(-1), 0);
    EXPECT_EQ(maze.verticalDeckCount, kMazeDeckSize - 1);
    EXPECT_EQ(maze.horizontalDeckCount, kMazeDeckSize);
    maze.verticalDeckCount = 0;
    EXPECT_EQ(DrawWallNumber(0), 0);
    EXPECT_EQ(maze.verticalDeckCount, 0);
    EXPECT_EQ(crt::rand(), next);
}

}  // namespace
