# The programs of the Windows test's held-file and durability checks
# (scripts/windows-held.sh): a holder that keeps a file open as an editor
# would, and a driver that calls torvex.dll's methods, counting its flushes.
add_executable(torvex_holder ${CMAKE_CURRENT_LIST_DIR}/holder.cc)
set_target_properties(torvex_holder PROPERTIES OUTPUT_NAME holder)

add_executable(torvex_exchange ${CMAKE_CURRENT_LIST_DIR}/exchange.cc ${torvex_idl_header})
target_include_directories(torvex_exchange PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(torvex_exchange PRIVATE oleaut32 ole32 uuid)
set_target_properties(torvex_exchange PROPERTIES OUTPUT_NAME exchange)

add_dependencies(torvex_windows torvex_holder torvex_exchange)
