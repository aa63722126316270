// GDI+ objects that belong to no gauge: the views' sweep matrices, stroke
// path and label formats, the data blocks' formats, the generic font family. Created on
// first use and released when the last live gauge goes, before its GDI+
// shut-down (objects must never outlive the last GDI+ session).
#pragma once

#include "render/GdiPlusObjects.h"

namespace render {

enum class SharedFormat { FullCircleLabel, ForwardArcLabel, CompactBlock, FullBlock, AltitudeTag, Count };
// The views' working matrices (spokes, target placement, velocity vectors)
// are reset before every use, so the views share one set across calls.
enum class SharedMatrix { FullCircleSweep, ForwardArcSweep, ViewSpokes, ViewTarget, ViewVector, Count };

// The path a view gathers one target's lines in, emptied after every stroke.
enum class SharedPath { TargetLines, Count };

// Brushes of colours no scheme has: the traffic advisories' symbols.
enum class SharedBrush { TrafficAdvisory, Count };
// Yellow: apart from both schemes' dim and bright colours (green, amber).
constexpr uint32_t kTrafficAdvisoryColour = 0xffffff00u;

// The brush of the slot, created on first use.
Brush& sharedBrush(SharedBrush slot);
// A pen of the slot's brush and the schemes' pen width, created on first use.
Pen& sharedPen(SharedBrush slot);

// The string format of the slot, created (flags 0, neutral language) on first use.
StringFormat& sharedStringFormat(SharedFormat slot);
// The matrix of the slot, created on first use.
Matrix& sharedMatrix(SharedMatrix slot);
// The path of the slot, created on first use (and again, at paced uses,
// after it let its object go).
StrokePath& sharedPath(SharedPath slot);
// The generic sans-serif family, obtained once; may be invalid.
FontFamily& genericSansSerifFamily();

// Deletes every shared object; the next use creates it again.
void releaseSharedGdiObjects();
// How many shared objects exist now (for leak checks).
int liveSharedGdiObjects();

}  // namespace render
