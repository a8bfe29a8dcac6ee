#pragma once
// The maze model: a 10 by 10 grid of cells whose inner 8 by 8 block is carved, one step per
// frame, into a spanning tree by randomized Kruskal. Cells are 10 * row + column.
#include <kr/kr.h>

#include <cstdint>

inline constexpr int32_t kMazeCells = 100;
inline constexpr int32_t kMazeWalls = 90;     // of each direction
inline constexpr int32_t kMazeDeckSize = 56;  // candidate walls of each direction
inline constexpr int32_t kMazeLastStep = 2 * kMazeDeckSize;

struct MazeModel {
    // Two cells are connected through removed walls exactly when their labels are equal.
    int8_t cellLabel[kMazeCells];
    // 1 while standing, 0 once removed. Vertical wall 9r + c lies between cells (r, c) and
    // (r, c + 1); horizontal wall 10r + c between cells (r, c) and (r + 1, c).
    int8_t verticalWall[kMazeWalls];
    int8_t horizontalWall[kMazeWalls];
    // The candidate numbers not yet drawn, in the first deck-count places.
    uint8_t verticalDeck[kMazeDeckSize];
    uint8_t horizontalDeck[kMazeDeckSize];
    int32_t verticalDeckCount;
    int32_t horizontalDeckCount;
    // Walls examined so far, 0 to 112; one maze per run.
    int32_t mazeSteps;
};

// The game's maze, all zero until the first step.
extern MazeModel maze;

// One generation step: examines one vertical and then one horizontal candidate wall.
void MazeStep();
// Draws a number 0 to 55 without replacement from deck 0 (vertical) or 1 (horizontal); any
// other deck, or an empty one, gives 0.
int32_t DrawWallNumber(int32_t deck);
