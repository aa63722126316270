#include "sim/Host.h"

#include <cmath>
#include <stdexcept>

#include "sim/Geodesy.h"
#include "sim/GdiPlusSession.h"
#include "sim/ModuleCall.h"
#include "sim/ScenarioLoader.h"

namespace sim {
namespace {

constexpr double kLatitudeUnitsPerDegree = 40007000.0 / 360.0;
constexpr double kLongitudeUnitsPerDegree = 281474976710656.0 / 360.0;  // 2^48 / 360

}  // namespace

Host::Host(HostOptions options) : options_(std::move(options)) {
    setScenario(defaultScenario());
    setClock(0.0);
}

Host::Host(const std::string& modulePath, HostOptions options) : Host(std::move(options)) { load(modulePath); }

Host::~Host() { unload(); }

void Host::fail(const std::string& message) {
    error_ = message;
    library_.reset();
    panelTable_.reset();
    importTable_ = nullptr;
    linkage_ = nullptr;
}

bool Host::load(const std::string& modulePath) {
    if (loaded()) unload();
    modulePath_ = modulePath;
    error_.clear();
    // The host's surfaces need GDI+ before any window exists.
    ensureGdiPlusStarted();
    std::string reason;
    library_ = openModuleLibrary(modulePath, reason);
    if (!library_) {
        fail(reason);
        return false;
    }
    importTable_ = static_cast<host::ImportTable*>(library_->symbol("ImportTable"));
    linkage_ = static_cast<host::Linkage*>(library_->symbol("Linkage"));
    if (importTable_ == nullptr || linkage_ == nullptr) {
        fail("module '" + modulePath + "' does not export '" + (importTable_ == nullptr ? "ImportTable" : "Linkage") +
             "'");
        return false;
    }
    try {
        panelTable_ = std::make_unique<PanelTable>(static_cast<PanelHandler&>(*this));
    } catch (const std::logic_error& e) {
        fail(e.what());
        return false;
    }
    // The panel-function table goes in before any routine of the module runs.
    importTable_->panels.pointer = panelTable_->table();
    if (linkage_->moduleInit != nullptr) callModule(linkage_->moduleInit);
    return true;
}

void Host::unload() {
    if (!loaded()) return;
    for (auto& window : windows_)
        if (window->open()) closeWindow(*window);
    if (linkage_->moduleDeinit != nullptr) callModule(linkage_->moduleDeinit);
    importTable_ = nullptr;
    linkage_ = nullptr;
    library_.reset();
    // Only now no graphics object of the module can refer to a surface.
    windows_.clear();
    panelTable_.reset();
}

host::HostPanelServices* Host::panelTable() { return panelTable_ ? panelTable_->table() : nullptr; }

std::vector<std::string> Host::gaugeNames() const {
    std::vector<std::string> names;
    if (linkage_ == nullptr) return names;
    for (host::GaugeHeader* header : linkage_->gauges) {
        if (header == nullptr) break;
        names.emplace_back(header->gaugeName ? header->gaugeName : "");
    }
    return names;
}

host::GaugeHeader* Host::gaugeHeader(const std::string& gaugeName) const {
    if (linkage_ == nullptr) return nullptr;
    for (host::GaugeHeader* header : linkage_->gauges) {
        if (header == nullptr) break;
        if (header->gaugeName != nullptr && gaugeName == header->gaugeName) return header;
    }
    return nullptr;
}

void Host::requireLoaded(const char* what) const {
    if (!loaded()) throw std::logic_error(std::string(what) + ": no module is loaded" + (error_.empty() ? "" : " (" + error_ + ")"));
}

Window& Host::openWindow(const std::string& gaugeName, int width, int height, int capacityWidth,
                         int capacityHeight) {
    requireLoaded("openWindow");
    host::GaugeHeader* header = gaugeHeader(gaugeName);
    if (header == nullptr) throw std::invalid_argument("the module has no gauge named '" + gaugeName + "'");
    ensureGdiPlusStarted();
    windows_.push_back(std::unique_ptr<Window>(new Window(*header, width, height, capacityWidth, capacityHeight)));
    Window& window = *windows_.back();
    callGauge(window, host::kServiceCreate, 0);
    return window;
}

void Host::closeWindow(Window& window) {
    if (!window.open_) return;
    window.open_ = false;
    callGauge(window, host::kServiceDestroy, 0);
}

std::vector<Window*> Host::openWindows() const {
    std::vector<Window*> out;
    for (const auto& window : windows_)
        if (window->open()) out.push_back(window.get());
    return out;
}

void Host::callGauge(Window& window, int32_t code, uint32_t extra) {
    requireLoaded("service");
    host::GaugeCallback callback = window.header_.gaugeCallback;
    if (callback != nullptr) callModule(callback, &window.header_, code, extra);
}

void Host::service(Window& window, int32_t code, uint32_t extra) { callGauge(window, code, extra); }

void Host::drawWindow(Window& window) {
    window.drawingElement().imageFlags |= host::kImageFlagRedraw;
    callGauge(window, host::kServiceDraw, 0);
}

void Host::frame() {
    advance(options_.framesPerSecond > 0.0 ? 1.0 / options_.framesPerSecond : 0.0);
    if (!loaded()) return;
    std::vector<Window*> open = openWindows();
    for (Window* window : open)
        for (int32_t code : options_.updateServices) callGauge(*window, code, 0);
    for (Window* window : open) drawWindow(*window);
}

void Host::frames(int count) {
    for (int i = 0; i < count; ++i) frame();
}

void Host::advance(double seconds) {
    if (!clockStopped_) setClock(clock() + seconds);
    traffic_.advance(seconds);
    if (options_.ownShipVariablesFollowTraffic) writeOwnShipVariables();
}

void Host::setClock(double seconds) { moduleVariables_.set(host::kVarClock, seconds); }

double Host::clock() const { return moduleVariables_.get(host::kVarClock); }

int32_t Host::click(Window& window, int x, int y) { return click(window, x, y, window.width(), window.height()); }

int32_t Host::click(Window& window, int x, int y, int shownWidth, int shownHeight) {
    const double sx = static_cast<double>(shownWidth) / window.width();
    const double sy = static_cast<double>(shownHeight) / window.height();
    for (host::MouseArea* area : window.clickAreas()) {
        host::MouseArea shown = *area;
        shown.boxX = static_cast<int32_t>(std::lround(area->boxX * sx));
        shown.boxY = static_cast<int32_t>(std::lround(area->boxY * sy));
        shown.boxWidth = static_cast<int32_t>(std::lround(area->boxWidth * sx));
        shown.boxHeight = static_cast<int32_t>(std::lround(area->boxHeight * sy));
        bool inside = x >= shown.boxX && x < shown.boxX + shown.boxWidth && y >= shown.boxY &&
                      y < shown.boxY + shown.boxHeight;
        if (!inside || area->function == nullptr) continue;
        host::ClickRecord record{};
        record.x = x;
        record.y = y;
        // The shown size only lives for the call, as the mouse function reads it.
        record.area = sx == 1.0 && sy == 1.0 ? area : &shown;
        return callModule(area->function, &record, host::kMouseLeftSingle);
    }
    return -1;
}

int32_t Host::callElementRoutine(Window& window, ElementRoutine routine, uintptr_t value) {
    requireLoaded("callElementRoutine");
    const host::GaugeHeader& header = window.header_;
    auto plain = [](host::ElementListRoutine r) { return r != nullptr ? callModule(r) : 0; };
    auto withValue = [value](host::ElementListValueRoutine r) { return r != nullptr ? callModule(r, value) : 0; };
    switch (routine) {
        case ElementRoutine::Query: return plain(header.queryRoutine);
        case ElementRoutine::Install: return withValue(header.installRoutine);
        case ElementRoutine::Initialize: return plain(header.initializeRoutine);
        case ElementRoutine::Update: return plain(header.updateRoutine);
        case ElementRoutine::Generate: return withValue(header.generateRoutine);
        case ElementRoutine::Draw: return plain(header.drawRoutine);
        case ElementRoutine::Kill: return plain(header.killRoutine);
    }
    return 0;
}

void Host::writeOwnShipVariables() {
    const Aircraft& own = traffic_.own();
    moduleVariables_.set(host::kVarOwnLatitude, own.latitudeDeg * kLatitudeUnitsPerDegree);
    moduleVariables_.set(host::kVarOwnLongitude, normalizeLongitude(own.longitudeDeg) * kLongitudeUnitsPerDegree);
    moduleVariables_.set(host::kVarOwnAltitudeMetres, own.altitudeFt * kMetresPerFoot);
    // The host publishes its true heading here, not the magnetic one.
    moduleVariables_.set(host::kVarOwnHeading, normalizeDegrees360(own.headingTrueDeg));
}

void Host::setNamed(const std::string& name, double value) {
    namedVariables_.set(namedVariables_.registerName(name), value);
}

double Host::named(const std::string& name) const {
    auto id = namedVariables_.find(name);
    return id ? namedVariables_.get(*id) : 0.0;
}

void Host::setScenario(Scenario scenario) {
    traffic_.setScenario(std::move(scenario));
    writeOwnShipVariables();
}

void Host::loadScenario(const std::string& path) { setScenario(loadScenarioFile(path)); }

// ---- Panel entries, as the module calls them --------------------------------

int32_t Host::elementListEntry(int32_t slot, host::ImageElement* element, uintptr_t value) {
    CallRecord r{Call::ElementListEntry};
    r.slot = slot;
    r.id = static_cast<int64_t>(reinterpret_cast<uintptr_t>(element));
    r.numbers = {static_cast<double>(value)};
    calls_.add(std::move(r));
    return 0;
}

void Host::lookupModuleVariable(host::ModuleVariableRecord* record) {
    if (record == nullptr) {
        CallRecord r{Call::LookupModuleVariable};
        r.slot = host::kSlotLookupModuleVariable;
        r.id = -1;
        r.text = "(null)";
        calls_.add(std::move(r));
        return;
    }
    record->value = moduleVariables_.get(record->token);
    if (calls_.enabled()) {
        CallRecord r{Call::LookupModuleVariable};
        r.slot = host::kSlotLookupModuleVariable;
        r.id = record->token;
        r.result = record->value;
        calls_.add(std::move(r));
    }
}

int32_t Host::registerNamedVariable(const char* name) {
    int32_t id = name != nullptr ? namedVariables_.registerName(name) : 0;
    if (namedRegistrationFailing_) id = kInvalidNamedVariableId;
    CallRecord r{Call::RegisterNamedVariable};
    r.slot = host::kSlotRegisterNamedVariable;
    r.id = id;
    r.text = name != nullptr ? name : "(null)";
    r.result = id;
    calls_.add(std::move(r));
    return id;
}

double Host::getNamedVariable(int32_t id) {
    double value = namedVariables_.get(id);
    if (calls_.enabled()) {
        CallRecord r{Call::GetNamedVariable};
        r.slot = host::kSlotGetNamedVariable;
        r.id = id;
        r.text = namedVariables_.name(id);
        r.result = value;
        calls_.add(std::move(r));
    }
    return value;
}

void Host::setNamedVariable(int32_t id, double value) {
    bool stored = namedVariables_.set(id, value);
    if (calls_.enabled()) {
        CallRecord r{Call::SetNamedVariable};
        r.slot = host::kSlotSetNamedVariable;
        r.id = id;
        r.text = namedVariables_.name(id);
        r.numbers = {value};
        r.result = stored ? 1.0 : 0.0;
        calls_.add(std::move(r));
    }
}

host::ServiceProvider* Host::findService(const char* name) {
    host::ServiceProvider* result = nullptr;
    if (trafficServiceAvailable_ && name != nullptr && std::string(name) == host::kTrafficInfoName)
        result = traffic_.provider();
    CallRecord r{Call::FindService};
    r.slot = host::kSlotFindService;
    r.text = name != nullptr ? name : "(null)";
    r.result = result != nullptr ? 1.0 : 0.0;
    calls_.add(std::move(r));
    return result;
}

void Host::unknownSlot(int32_t slot) {
    CallRecord r{Call::UnknownPanelSlot};
    r.slot = slot;
    calls_.add(std::move(r));
}

}  // namespace sim
