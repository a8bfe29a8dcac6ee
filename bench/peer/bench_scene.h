#pragma once
// A scene like the maze game's: its camera, 180 textured walls and a ball, on the headless
// backend. The scene benchmark, its peer on another renderer and the test comparing their
// pictures all draw this one.
#include "platform/rm/rm.h"

namespace bench {

// Writes the scene's data files and starts a program that builds the scene.
void StartMazeScene();
// Turns the ball a step and places the camera, as every frame does before it renders.
void StepMazeScene();
// The viewport the scene renders through.
rm::Viewport* MazeViewport();
// Quits the program and removes the data files.
void StopMazeScene();

}  // namespace bench
