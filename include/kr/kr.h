#pragma once
// KIRVA: the framework's public header. A client program includes only this.
#include <kr/demo.h>
#include <kr/draw.h>
#include <kr/draw_gdi.h>
#include <kr/font.h>
#include <kr/headless.h>
#include <kr/input.h>
#include <kr/random.h>
#include <kr/resources.h>
#include <kr/scene3d.h>
#include <kr/sound.h>
#include <kr/system.h>
#include <kr/version.h>
#include <kr/wintypes.h>
