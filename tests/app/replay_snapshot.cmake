# Runs korval-replay over a small traffic file with --snapshot for maps 1 and 2 and checks that
# both JPEG files are written (map 2 has no image: its snapshot must fail and say so).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/home/Logs)
file(READ ${DATA}/chain/KORVAL.ini ini)
string(REPLACE "MapPath=none.jpg" "MapPath=${MAPS}/europe.jpg" ini "${ini}")
string(REGEX REPLACE "\\[Map2 Settings\\]([^[]*)MapPath=[^\r\n]*" "[Map2 Settings]\\1MapPath=${WORK}/missing.jpg" ini "${ini}")
file(WRITE ${WORK}/home/KORVAL.ini "${ini}")
execute_process(COMMAND ${REPLAY} --home ${WORK}/home --input ${DATA}/replay/basic.jsonl
                        --snapshot 1=${WORK}/map1.jpg --snapshot 2=${WORK}/map2.jpg
                RESULT_VARIABLE rc OUTPUT_FILE ${WORK}/out.jsonl ERROR_VARIABLE err)
if(NOT EXISTS ${WORK}/map1.jpg)
  message(FATAL_ERROR "map 1 snapshot not written (exit ${rc}): ${err}")
endif()
file(READ ${WORK}/map1.jpg head LIMIT 3 HEX)
if(NOT head STREQUAL "ffd8ff")
  message(FATAL_ERROR "map 1 snapshot is not a JPEG file: ${head}")
endif()
if(EXISTS ${WORK}/map2.jpg OR NOT rc EQUAL 1 OR NOT err MATCHES "map 2 not written")
  message(FATAL_ERROR "a map without an image must fail with exit 1 and say so (exit ${rc}): ${err}")
endif()
