# The Windows builds of the stand-in host (cross-compiled with mingw-w64).
# nlohmann-json is header-only and has no mingw package: its headers are
# copied from the build machine's package into the build tree, so that the
# cross compiler sees them without the machine's other system headers.
find_path(QUILLON_NLOHMANN_JSON_INCLUDE nlohmann/json.hpp
  PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(QUILLON_SIM_JSON_HEADERS ${CMAKE_CURRENT_BINARY_DIR}/json-headers)
file(COPY ${QUILLON_NLOHMANN_JSON_INCLUDE}/nlohmann DESTINATION ${QUILLON_SIM_JSON_HEADERS})
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${QUILLON_SIM_JSON_HEADERS}
    INTERFACE_INCLUDE_DIRECTORIES ${QUILLON_SIM_JSON_HEADERS})
endif()
