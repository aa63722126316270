// What the host reads from the module's exported records, and the routines
// those records point to.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "module/GaugeCallbacks.h"
#include "host/ExportedRecords.h"
#include "tests/support/FakePanel.h"

namespace quillon {
namespace {

using testing::FakePanel;

const char* const kGaugeOrder[] = {"Rectangular Green", "Rectangular Amber", "Circular Green", "Circular Amber"};

host::ImageElement* backgroundOf(const host::GaugeHeader* header) { return header->elementList[0]; }
host::ImageElement* drawingOf(const host::GaugeHeader* header) { return backgroundOf(header)->nextElements[0]; }

bool allZero(const uint32_t* words, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (words[i] != 0) return false;
    }
    return true;
}

TEST(ExportedRecords, ImportTableWaitsForThePanelTable) {
    EXPECT_EQ(ImportTable.panels.id, 0x0000000Fu);
    EXPECT_EQ(ImportTable.end.id, 0u);
    EXPECT_EQ(ImportTable.end.pointer, nullptr);
}

TEST(ExportedRecords, LinkageListsTheFourGaugesInOrder) {
    EXPECT_EQ(Linkage.moduleId, 0x13u);
    EXPECT_NE(Linkage.moduleInit, nullptr);
    EXPECT_EQ(Linkage.moduleInit, Linkage.moduleDeinit);
    EXPECT_EQ(Linkage.moduleFlags, 0u);
    EXPECT_EQ(Linkage.moduleStatus, 0u);
    EXPECT_EQ(Linkage.moduleVersion, 0x900u);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(Linkage.gauges[i], nullptr);
        EXPECT_STREQ(Linkage.gauges[i]->gaugeName, kGaugeOrder[i]);
    }
    EXPECT_EQ(Linkage.gauges[4], nullptr);
    Linkage.moduleInit();  // does nothing, and must not fail without a panel table
    Linkage.moduleDeinit();
}

TEST(ExportedRecords, GaugeHeadersCarryTheirOwnRoutinesAndZeroedHostFields) {
    for (int i = 0; i < 4; ++i) {
        const host::GaugeHeader* header = Linkage.gauges[i];
        SCOPED_TRACE(header->gaugeName);
        EXPECT_EQ(header->headerVersion, 800u);
        EXPECT_EQ(header->defaultSize, 100u);
        EXPECT_EQ(header->reserved, nullptr);
        EXPECT_TRUE(allZero(header->hostFields, sizeof(header->hostFields) / 4));
        EXPECT_TRUE(allZero(header->hostTail, sizeof(header->hostTail) / 4));
        EXPECT_GE(sizeof(header->hostTail), 64u);
        EXPECT_NE(header->gaugeCallback, nullptr);
        // Every gauge lists the same seven element-list routines.
        EXPECT_EQ(header->queryRoutine, Linkage.gauges[0]->queryRoutine);
        EXPECT_EQ(header->killRoutine, Linkage.gauges[0]->killRoutine);
        EXPECT_NE(header->installRoutine, nullptr);
        EXPECT_NE(header->initializeRoutine, nullptr);
        EXPECT_NE(header->updateRoutine, nullptr);
        EXPECT_NE(header->generateRoutine, nullptr);
        EXPECT_NE(header->drawRoutine, nullptr);
        for (int j = 0; j < i; ++j) {
            EXPECT_NE(header->gaugeCallback, Linkage.gauges[j]->gaugeCallback);
            EXPECT_NE(header->mouseAreas, Linkage.gauges[j]->mouseAreas);
        }
    }
}

TEST(ExportedRecords, EachGaugeHasABackgroundLeadingToItsDrawingElement) {
    for (int i = 0; i < 4; ++i) {
        host::GaugeHeader* header = Linkage.gauges[i];
        SCOPED_TRACE(header->gaugeName);
        ASSERT_NE(header->elementList, nullptr);
        EXPECT_EQ(header->elementList[1], nullptr);
        const host::ImageElement* background = backgroundOf(header);
        ASSERT_NE(background, nullptr);
        ASSERT_NE(background->nextElements, nullptr);
        EXPECT_EQ(background->nextElements[1], nullptr);
        const host::ImageElement* drawing = drawingOf(header);
        ASSERT_NE(drawing, nullptr);

        for (const host::ImageElement* element : {background, drawing}) {
            EXPECT_EQ(element->elementType, 0u);
            EXPECT_EQ(element->bitmapId, 4096u);
            EXPECT_EQ(element->header, header);
            EXPECT_EQ(element->previous, nullptr);
            EXPECT_EQ(element->failureRecords, nullptr);
            EXPECT_EQ(element->image, nullptr);
            EXPECT_EQ(element->deviceContext, nullptr);
            EXPECT_EQ(element->position[0] | element->position[1] | element->offset[0] | element->offset[1], 0);
        }
        EXPECT_EQ(background->imageFlags, 0x01u);
        EXPECT_EQ(drawing->imageFlags, 0x26u);
        EXPECT_EQ(drawing->nextElements, nullptr);
        EXPECT_NE(backgroundOf(header), backgroundOf(Linkage.gauges[(i + 1) % 4]));
    }
}

TEST(ExportedRecords, MouseAreasWrapOneHandAreaOverTheWholeGauge) {
    for (int i = 0; i < 4; ++i) {
        const host::MouseArea* areas = Linkage.gauges[i]->mouseAreas;
        SCOPED_TRACE(Linkage.gauges[i]->gaugeName);
        const uint32_t kinds[] = {1, 2, 3, 0};
        for (int a = 0; a < 4; ++a) {
            EXPECT_EQ(areas[a].kind, kinds[a]);
            EXPECT_EQ(areas[a].boxX, 0);
            EXPECT_EQ(areas[a].boxY, 0);
            EXPECT_EQ(areas[a].helpId, 0u);
            EXPECT_EQ(areas[a].eventId, 0u);
            EXPECT_EQ(areas[a].data, nullptr);
            if (a == 1) continue;
            EXPECT_EQ(areas[a].boxWidth, 0);
            EXPECT_EQ(areas[a].boxHeight, 0);
            EXPECT_EQ(areas[a].cursor, -1);
            EXPECT_EQ(areas[a].mouseFlags, 0u);
            EXPECT_EQ(areas[a].function, nullptr);
        }
        EXPECT_EQ(areas[1].boxWidth, 100);
        EXPECT_EQ(areas[1].boxHeight, 100);
        EXPECT_EQ(areas[1].cursor, 5);
        EXPECT_EQ(areas[1].mouseFlags, 0x20000000u);
        EXPECT_NE(areas[1].function, nullptr);
        for (int j = 0; j < i; ++j) EXPECT_NE(areas[1].function, Linkage.gauges[j]->mouseAreas[1].function);
    }
}

TEST(ElementListRoutines, EveryGaugeForwardsTheFirstElementOfRectangularGreen) {
    host::ImageElement* expected = backgroundOf(Linkage.gauges[0]);
    for (int i = 0; i < 4; ++i) {
        const host::GaugeHeader* header = Linkage.gauges[i];
        SCOPED_TRACE(header->gaugeName);
        FakePanel panel;
        panel.setElementListResult(40 + i);
        EXPECT_EQ(header->queryRoutine(), 40 + i);
        EXPECT_EQ(header->installRoutine(0x1234), 40 + i);
        EXPECT_EQ(header->initializeRoutine(), 40 + i);
        EXPECT_EQ(header->updateRoutine(), 40 + i);
        EXPECT_EQ(header->generateRoutine(77), 40 + i);
        EXPECT_EQ(header->drawRoutine(), 40 + i);
        EXPECT_EQ(header->killRoutine(), 40 + i);

        const size_t slots[] = {host::kSlotElementQuery,  host::kSlotElementInstall, host::kSlotElementInitialize,
                                host::kSlotElementUpdate, host::kSlotElementGenerate, host::kSlotElementDraw,
                                host::kSlotElementKill};
        ASSERT_EQ(panel.calls().size(), 7u);
        for (size_t c = 0; c < 7; ++c) {
            EXPECT_EQ(panel.calls()[c].slot, slots[c]);
            EXPECT_EQ(panel.calls()[c].element, expected);
        }
        EXPECT_EQ(panel.calls()[1].extra, 0x1234u);
        EXPECT_EQ(panel.calls()[4].extra, 77u);
    }
}

TEST(ElementListRoutines, WithoutAPanelTableTheyReturnZero) {
    void* saved = ImportTable.panels.pointer;
    ImportTable.panels.pointer = nullptr;
    EXPECT_EQ(Linkage.gauges[2]->drawRoutine(), 0);
    EXPECT_EQ(Linkage.gauges[2]->installRoutine(3), 0);
    ImportTable.panels.pointer = saved;
}

// ---- clicks in pixels to logical points ----

host::ClickRecord clickAt(int32_t x, int32_t y, host::MouseArea* area) {
    host::ClickRecord click{};
    click.x = x;
    click.y = y;
    click.area = area;
    return click;
}

host::MouseArea areaOf(int32_t width, int32_t height) {
    host::MouseArea area{};
    area.kind = host::kMouseChild;
    area.boxWidth = width;
    area.boxHeight = height;
    return area;
}

TEST(ClickScaling, DividesFirstInDoubleThenTruncates) {
    struct Case {
        int32_t x, y, width, height, logicalX, logicalY;
    };
    const Case cases[] = {
        {50, 50, 100, 100, 500, 500}, {33, 0, 100, 100, 330, 0},   {199, 0, 200, 100, 995, 0},
        {1, 1, 200, 100, 5, 10},      {200, 100, 200, 100, 1000, 1000}, {7, 3, 300, 300, 23, 10},
        {-1, 0, 200, 100, -5, 0},
    };
    for (const Case& c : cases) {
        host::MouseArea area = areaOf(c.width, c.height);
        const host::ClickRecord click = clickAt(c.x, c.y, &area);
        LogicalPoint point{-7, -7};
        ASSERT_TRUE(logicalClickPoint(&click, point));
        EXPECT_EQ(point.x, c.logicalX) << c.x << " of " << c.width;
        EXPECT_EQ(point.y, c.logicalY) << c.y << " of " << c.height;
    }
}

TEST(ClickScaling, AreaWithoutSizeOrRecordGivesNoPoint) {
    LogicalPoint point{};
    host::MouseArea flat = areaOf(100, 0);
    host::MouseArea narrow = areaOf(0, 100);
    const host::ClickRecord onFlat = clickAt(5, 5, &flat);
    const host::ClickRecord onNarrow = clickAt(5, 5, &narrow);
    const host::ClickRecord nowhere = clickAt(5, 5, nullptr);
    EXPECT_FALSE(logicalClickPoint(&onFlat, point));
    EXPECT_FALSE(logicalClickPoint(&onNarrow, point));
    EXPECT_FALSE(logicalClickPoint(&nowhere, point));
    EXPECT_FALSE(logicalClickPoint(nullptr, point));
}

TEST(MouseFunctions, ReturnOneWhateverTheClickAndGaugeState) {
    host::MouseArea area = areaOf(100, 100);
    host::MouseArea empty = areaOf(0, 0);
    host::ClickRecord normal = clickAt(50, 50, &area);
    host::ClickRecord onEmpty = clickAt(50, 50, &empty);
    host::ClickRecord withoutArea = clickAt(50, 50, nullptr);
    for (int i = 0; i < 4; ++i) {
        const host::MouseFunction mouse = Linkage.gauges[i]->mouseAreas[1].function;
        // No gauge is live here: nothing to click on, still handled.
        EXPECT_EQ(mouse(&normal, 0), 1);
        EXPECT_EQ(mouse(&onEmpty, host::kMouseLeftSingle), 1);
        EXPECT_EQ(mouse(&withoutArea, 0), 1);
        EXPECT_EQ(mouse(nullptr, 0), 1);
    }
}

}  // namespace
}  // namespace quillon
