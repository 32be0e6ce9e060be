# Runs korval-replay as a user would and checks exit statuses and output.
# Inputs: REPLAY (the program), DATA (tests/data/replay), WORK (a scratch folder).

file(REMOVE_RECURSE ${WORK})
file(COPY ${DATA}/home-plain/ DESTINATION ${WORK}/home)

function(expect_status expected)
  execute_process(COMMAND ${REPLAY} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL expected)
    message(FATAL_ERROR "korval-replay ${ARGN}: status ${status}, expected ${expected}\n${err}")
  endif()
  set(last_out "${out}" PARENT_SCOPE)
endfunction()

expect_status(2)
expect_status(2 --home ${WORK}/missing --input ${DATA}/basic.jsonl)
expect_status(2 --home ${WORK}/home --utc 2460 --input ${DATA}/basic.jsonl)
expect_status(2 --home ${WORK}/home --input ${WORK}/missing.jsonl)
expect_status(2 --home ${WORK}/home --bogus)
expect_status(0 --help)
if(NOT last_out MATCHES "--home DIR")
  message(FATAL_ERROR "--help does not describe --home")
endif()

expect_status(1 --home ${WORK}/home --input ${DATA}/basic.jsonl)
file(READ ${DATA}/basic.plain.expected.jsonl expected)
if(NOT last_out STREQUAL expected)
  file(WRITE ${WORK}/actual.jsonl "${last_out}")
  message(FATAL_ERROR "output differs from basic.plain.expected.jsonl; see ${WORK}/actual.jsonl")
endif()

# The exports add two files and change nothing in the output.
expect_status(1 --home ${WORK}/home --input ${DATA}/basic.jsonl --geojson ${WORK}/tracks.geojson --kml ${WORK}/tracks.kml)
if(NOT last_out STREQUAL expected)
  message(FATAL_ERROR "the exports changed the output")
endif()
file(READ ${WORK}/tracks.geojson geojson)
file(READ ${WORK}/tracks.kml kml)
if(NOT geojson MATCHES "^{\"type\":\"FeatureCollection\"" OR NOT kml MATCHES "<kml xmlns=\"http://www.opengis.net/kml/2.2\">")
  message(FATAL_ERROR "the exports are not GeoJSON and KML:\n${geojson}\n${kml}")
endif()
expect_status(2 --home ${WORK}/home --input ${DATA}/basic.jsonl --kml)
expect_status(2 --home ${WORK}/home --input ${DATA}/basic.jsonl --kml ${WORK}/missing/tracks.kml)
