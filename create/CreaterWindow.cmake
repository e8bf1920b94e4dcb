# The creator window (Windows build only), beside the portable worker.
add_library(quor_creater STATIC ${CMAKE_CURRENT_LIST_DIR}/Quor_Creater.cpp)
target_link_libraries(quor_creater PUBLIC quor_create quor_core quor_platform quor_picklist quor_gui quor_settings)
