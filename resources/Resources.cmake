# Embeds the string tables (resources/strings/<id>.xml, read as ":/strings/<id>.xml") and the
# update-loader images (":/bios/<id>.bin") into the core library.
file(GLOB ZELTA_STRING_TABLES CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_LIST_DIR}
    ${CMAKE_CURRENT_LIST_DIR}/strings/*.xml)
if(ZELTA_STRING_TABLES)
    qt_add_resources(zelta_core "zelta_string_tables"
        PREFIX "/"
        BASE ${CMAKE_CURRENT_LIST_DIR}
        FILES ${ZELTA_STRING_TABLES})
endif()
