#pragma once
// The maze scene: the player walking the growing maze in first person, the 180 wall models kept
// in line with the maze model, the spinning ball and the 2D overlay.
#include <kr/kr.h>

#include <cstdint>
#include <string>

inline constexpr int32_t kWallFrames = 180;

struct MazeSceneState {
    int32_t playerX;                   // the cell column minus 1: 0 to 7 inside the maze
    int32_t playerY;                   // minus the cell row: -1 to -8 inside the maze
    int32_t lastPlayerX, lastPlayerY;  // the player's cell when the latest command was taken
    float heading;                     // degrees; right turns add
    int32_t facing;       // 0 toward higher rows, 1 higher columns, 2 lower rows, 3 lower columns
    int32_t moveCommand;  // 37 turn left, 39 turn right, 38 step forward
    int32_t moveFramesLeft;  // 4 when a command starts
    float cameraX, cameraZ;  // camera 1 on the ground plane
    // 0 to 89 the vertical walls, 90 to 179 the horizontal walls, in the maze's numbering.
    rm::Frame* wallFrames[kWallFrames];
    rm::Frame* ballModel;
    int32_t fontSprite;
    rm::Texture* wallTexture;
    rm::Texture* ballTexture;
};

extern MazeSceneState mazeScene;

// The program's initialisation: the display, the pictures and models, scene 1.
void MazeInit();
// The frame function of scene 1.
void MazeFrame();
// Lets go of the game's own handles to its models and textures once the program has quit.
void MazeRelease();
// The game's state in one line of key=value pairs, after the given number of maze frames:
// frames, mazeSteps, wallsRemoved, playerX, playerY, heading, facing, quitState. Replays print it
// and demos end with it.
std::string MazeStateLine(int32_t frames);
// The flag of the wall in front of the player: 0 once it is removed.
int8_t WallAhead();
// Places and turns every wall frame from the maze's wall flags; mode 0 re-places standing walls.
void PlaceWalls(int32_t mode);

// The glyph sheet's x edges: row 0 holds A to Z, row 1 the comma to the question mark.
inline constexpr int32_t kGlyphRowHeight = 45;
inline constexpr int32_t glyphEdgesLetters[27] = {0,   27,  53,  80,  108, 128, 147, 173, 200,
                                                  212, 230, 256, 274, 308, 334, 360, 384, 410,
                                                  435, 459, 483, 506, 532, 569, 591, 615, 634};
inline constexpr int32_t glyphEdgesSigns[21] = {
    0, 6, 20, 29, 49, 73, 93, 117, 140, 166, 192, 216, 237, 263, 289, 299, 309, 335, 361, 386, 411};

// Draws at most count characters of text with the glyph sheet, top-left at (x, y). Spacing 0 sets
// glyphs by their own widths, 1 in 40-pixel cells, above 1 in cells of that many pixels; a
// negative spacing counts as 0.
void DrawBitmapText(int32_t x, int32_t y, const char* text, int32_t count, int32_t spacing);
