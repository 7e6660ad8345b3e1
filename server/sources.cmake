# The protocol part of evmserver (QtCore only): framing, parsing, status and
# the commands over the instrument interface. The fuzz targets build it again.
set(EVM_SCPI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/instrument.h
  ${CMAKE_CURRENT_LIST_DIR}/errors.h
  ${CMAKE_CURRENT_LIST_DIR}/scpinumber.cpp ${CMAKE_CURRENT_LIST_DIR}/scpinumber.h
  ${CMAKE_CURRENT_LIST_DIR}/framer.cpp ${CMAKE_CURRENT_LIST_DIR}/framer.h
  ${CMAKE_CURRENT_LIST_DIR}/parser.cpp ${CMAKE_CURRENT_LIST_DIR}/parser.h
  ${CMAKE_CURRENT_LIST_DIR}/status.cpp ${CMAKE_CURRENT_LIST_DIR}/status.h
  ${CMAKE_CURRENT_LIST_DIR}/session.cpp ${CMAKE_CURRENT_LIST_DIR}/session.h)
