#include "maze.h"

MazeModel maze;

namespace {

void StartMaze() {
    for (int32_t cell = 0; cell < kMazeCells; ++cell)
        maze.cellLabel[cell] = static_cast<int8_t>(cell);
    for (int32_t wall = 0; wall < kMazeWalls; ++wall) {
        maze.verticalWall[wall] = 1;
        maze.horizontalWall[wall] = 1;
    }
}

void FillDecks() {
    for (int32_t i = 0; i < kMazeDeckSize; ++i) {
        maze.verticalDeck[i] = static_cast<uint8_t>(i);
        maze.horizontalDeck[i] = static_cast<uint8_t>(i);
    }
    maze.verticalDeckCount = kMazeDeckSize;
    maze.horizontalDeckCount = kMazeDeckSize;
}

int32_t DrawFrom(uint8_t* deck, int32_t& count) {
    if (count <= 0) return 0;
    const int32_t k = crt::rand() % count;
    const int32_t drawn = deck[k];
    count -= 1;
    deck[k] = deck[count];
    return drawn;
}

// Removes the wall between cells a and b unless they are connected already; the smaller label
// spreads over the other cell's whole part.
void ExamineWall(int8_t& wall, int32_t a, int32_t b) {
    const int8_t labelA = maze.cellLabel[a];
    const int8_t labelB = maze.cellLabel[b];
    maze.mazeSteps += 1;
    if (labelA == labelB) return;
    const int8_t winner = labelA < labelB ? labelA : labelB;
    const int8_t loser = labelA < labelB ? labelB : labelA;
    for (int8_t& label : maze.cellLabel) {
        if (label == loser) label = winner;
    }
    wall = 0;
}

}  // namespace

int32_t DrawWallNumber(int32_t deck) {
    if (maze.mazeSteps == 0) FillDecks();
    if (deck == 0) return DrawFrom(maze.verticalDeck, maze.verticalDeckCount);
    if (deck == 1) return DrawFrom(maze.horizontalDeck, maze.horizontalDeckCount);
    return 0;
}

void MazeStep() {
    if (maze.mazeSteps == 0) StartMaze();
    if (maze.mazeSteps >= kMazeLastStep) return;

    // Rows 1 to 8, columns 1 to 7: the walls between inner cells.
    const int32_t d = DrawWallNumber(0);
    const int32_t v = 9 * (d % 8 + 1) + d / 8 + 1;
    if (maze.verticalWall[v] > 0) ExamineWall(maze.verticalWall[v], v + v / 9, v + v / 9 + 1);

    // Rows 1 to 7, columns 1 to 8.
    const int32_t e = DrawWallNumber(1);
    const int32_t h = 10 * (e % 7 + 1) + e / 7 + 1;
    if (maze.horizontalWall[h] > 0) ExamineWall(maze.horizontalWall[h], h, h + 10);
}
