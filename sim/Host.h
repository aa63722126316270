// The desktop stand-in for the simulator host. It loads a gauge module by
// file name, serves it the panel-function table, module and named
// variables and the traffic interface over a moving scenario, opens panel
// windows with drawing surfaces, and drives them frame by frame as the
// simulator would.
//
//   sim::Host host(QUILLON_MODULE_PATH);
//   sim::Window& w = host.openWindow("Circular Green", 512, 512);
//   host.frame();
//   w.savePng("out.png");
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/GaugeRecords.h"
#include "host/PanelServices.h"
#include "sim/CallLog.h"
#include "sim/ModuleLoader.h"
#include "sim/PanelTable.h"
#include "sim/Scenario.h"
#include "sim/TrafficService.h"
#include "sim/Variables.h"
#include "sim/Window.h"

namespace sim {

struct HostOptions {
    double framesPerSecond = 18.0;
    // Service codes sent to every open window before its draw in each frame.
    std::vector<int32_t> updateServices{0};
    // Whether advancing time writes the own aircraft's state into the
    // module variables 71, 72, 73 and 86.
    bool ownShipVariablesFollowTraffic = true;
};

class Host final : private PanelHandler {
public:
    // A host without a module: variables and traffic, for testing those.
    explicit Host(HostOptions options = {});
    // Loads the module; check loaded() and error().
    explicit Host(const std::string& modulePath, HostOptions options = {});
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // ---- The module -------------------------------------------------------
    bool load(const std::string& modulePath);
    // Closes every open window (service 15), then unloads the module.
    void unload();
    bool loaded() const { return library_ != nullptr; }
    const std::string& error() const { return error_; }
    const std::string& modulePath() const { return modulePath_; }
    host::ImportTable* importTable() const { return importTable_; }
    host::Linkage* linkage() const { return linkage_; }
    host::HostPanelServices* panelTable();
    std::vector<std::string> gaugeNames() const;
    // The module's static header of a gauge; null if unknown.
    host::GaugeHeader* gaugeHeader(const std::string& gaugeName) const;

    // ---- Windows ----------------------------------------------------------
    // Opens a window of the gauge (service 14). Throws std::invalid_argument
    // for an unknown gauge, std::logic_error without a module. A capacity
    // larger than the size lets the window be resized keeping its device context.
    Window& openWindow(const std::string& gaugeName, int width, int height, int capacityWidth = 0,
                       int capacityHeight = 0);
    // Service 15; the window stays readable (and its surface alive) until unload.
    void closeWindow(Window& window);
    std::vector<Window*> openWindows() const;

    // ---- Driving ----------------------------------------------------------
    // One frame: advance by 1 / framesPerSecond, then the update services
    // to every open window, then the draw notification to every open window.
    void frame();
    void frames(int count);
    // Time passes: the clock (604) and the traffic move, own-ship module
    // variables follow. No service is sent.
    void advance(double seconds);
    // Sets the clock without moving the traffic.
    void setClock(double seconds);
    double clock() const;
    // A stopped clock stands while time passes: the traffic moves on, the
    // clock variable (604) does not.
    void setClockStopped(bool stopped) { clockStopped_ = stopped; }
    void setFramesPerSecond(double fps) { options_.framesPerSecond = fps; }
    HostOptions& options() { return options_; }

    // Marks the drawing element for redraw (image flag 0x80000000) and
    // sends the draw notification (10).
    void drawWindow(Window& window);
    // Any service code, with its extra value.
    void service(Window& window, int32_t code, uint32_t extra = 0);
    // A left click at a pixel of the window: the host's click record over
    // the child mouse area that contains the pixel, passed to its function.
    // Returns the function's result, or -1 when no area takes the click.
    int32_t click(Window& window, int x, int y);
    // The same for a window shown at another pixel size than its surface (a
    // preview drawn larger and resampled): x, y and the mouse boxes in the
    // click record are in the shown pixels, as a host showing the gauge at
    // that size would give them.
    int32_t click(Window& window, int x, int y, int shownWidth, int shownHeight);
    // One of the seven element-list routines of the window's gauge header;
    // `value` goes to install and generate. Returns the routine's result,
    // 0 when the header lists none.
    enum class ElementRoutine { Query, Install, Initialize, Update, Generate, Draw, Kill };
    int32_t callElementRoutine(Window& window, ElementRoutine routine, uintptr_t value = 0);

    // ---- Variables --------------------------------------------------------
    void setModuleVariable(int32_t token, double value) { moduleVariables_.set(token, value); }
    double moduleVariable(int32_t token) const { return moduleVariables_.get(token); }
    // Writes 71, 72, 73 and 86 from the own aircraft.
    void writeOwnShipVariables();

    // As another gauge of the panel would: registers the name if needed.
    int32_t registerNamed(const std::string& name) { return namedVariables_.registerName(name); }
    void setNamed(const std::string& name, double value);
    // 0 for a name nobody registered or set.
    double named(const std::string& name) const;
    NamedVariables& namedVariables() { return namedVariables_; }

    // ---- Traffic ----------------------------------------------------------
    TrafficService& traffic() { return traffic_; }
    // Replaces the scenario (own-ship variables follow at once).
    void setScenario(Scenario scenario);
    // Loads a scenario file; throws ScenarioError on a malformed file.
    void loadScenario(const std::string& path);
    // When off, finding the service "ITrafficInfo" answers null.
    void setTrafficServiceAvailable(bool available) { trafficServiceAvailable_ = available; }
    // A host whose named-variable table fails: registering any name answers
    // the invalid id, with which reads give 0 and writes are dropped.
    void setNamedVariableRegistrationFailing(bool failing) { namedRegistrationFailing_ = failing; }
    static constexpr int32_t kInvalidNamedVariableId = -1;

    // ---- Observation ------------------------------------------------------
    CallLog& calls() { return calls_; }

private:
    int32_t elementListEntry(int32_t slot, host::ImageElement* element, uintptr_t value) override;
    void lookupModuleVariable(host::ModuleVariableRecord* record) override;
    int32_t registerNamedVariable(const char* name) override;
    double getNamedVariable(int32_t id) override;
    void setNamedVariable(int32_t id, double value) override;
    host::ServiceProvider* findService(const char* name) override;
    void unknownSlot(int32_t slot) override;

    void requireLoaded(const char* what) const;
    void callGauge(Window& window, int32_t code, uint32_t extra);
    void fail(const std::string& message);

    HostOptions options_;
    CallLog calls_;
    ModuleVariables moduleVariables_;
    NamedVariables namedVariables_;
    TrafficService traffic_{&calls_};
    bool trafficServiceAvailable_ = true;
    bool namedRegistrationFailing_ = false;
    bool clockStopped_ = false;

    std::string modulePath_;
    std::string error_;
    std::unique_ptr<ModuleLibrary> library_;
    std::unique_ptr<PanelTable> panelTable_;
    host::ImportTable* importTable_ = nullptr;
    host::Linkage* linkage_ = nullptr;
    std::vector<std::unique_ptr<Window>> windows_;  // open and closed, until unload
};

}  // namespace sim
