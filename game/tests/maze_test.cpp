#include <gtest/gtest.h>

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

TEST_F(MazeTest, LaterStepsChangeNothingAndDrawNoRandomNumbers) {
    crt::srand(8);
    const int firstOfSeed = crt::rand();
    RunFrames(7, 55);
    const MazeModel done = maze;
    crt::srand(8);
    for (int i = 0; i < 10; ++i)
        MazeStep();
    EXPECT_EQ(std::memcmp(&maze, &done, sizeof maze), 0);
    EXPECT_EQ(crt::rand(), firstOfSeed);
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

TEST_F(MazeTest, SameSeedSameMazeOtherSeedAnotherMaze) {
    RunFrames(12345, 55);
    const MazeModel first = maze;
    maze = MazeModel{};
    RunFrames(12345, 55);
    EXPECT_EQ(std::memcmp(&maze, &first, sizeof maze), 0);
    maze = MazeModel{};
    RunFrames(54321, 55);
    EXPECT_NE(
        std::memcmp(maze.verticalWall, first.verticalWall, sizeof maze.verticalWall) |
            std::memcmp(maze.horizontalWall, first.horizontalWall, sizeof maze.horizontalWall),
        0);
}

TEST_F(MazeTest, FirstStepRemovesTheVerticalWallOfTheFirstNumberThenTheHorizontalOfTheSecond) {
    crt::srand(99);
    const int d = crt::rand() % 56;
    const int e = crt::rand() % 56;
    crt::srand(99);
    MazeStep();
    const int v = 9 * (d % 8 + 1) + d / 8 + 1;
    const int h = 10 * (e % 7 + 1) + e / 7 + 1;
    EXPECT_EQ(maze.verticalWall[v], 0);
    EXPECT_EQ(maze.horizontalWall[h], 0);
    EXPECT_EQ(RemovedWalls(), 2);
}

TEST_F(MazeTest, DecksDealEveryNumberOnceAndRefuseWhenEmptyOrUnknown) {
    crt::srand(3);
    std::vector<int> seen(kMazeDeckSize, 0);
    maze.mazeSteps = 0;
    seen[DrawWallNumber(0)] += 1;
    maze.mazeSteps = 1;  // later draws keep the deck
    for (int i = 1; i < kMazeDeckSize; ++i)
        seen[DrawWallNumber(0)] += 1;
    for (int count : seen)
        EXPECT_EQ(count, 1);
    EXPECT_EQ(maze.verticalDeckCount, 0);
    EXPECT_EQ(maze.horizontalDeckCount, kMazeDeckSize);
    EXPECT_EQ(DrawWallNumber(0), 0);  // empty: nothing is drawn
    EXPECT_EQ(maze.verticalDeckCount, 0);
    EXPECT_EQ(DrawWallNumber(2), 0);
    EXPECT_EQ(maze.horizontalDeckCount, kMazeDeckSize);
}

}  // namespace
