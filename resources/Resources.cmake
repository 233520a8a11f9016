# Embeds the string tables (resources/strings/<id>.xml, read as ":/strings/<id>.xml") into the
# core library. The files are given with absolute paths; BASE strips the resources/ prefix.
file(GLOB ZELTA_STRING_TABLES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/strings/*.xml)
if(ZELTA_STRING_TABLES)
    qt_add_resources(zelta_core "zelta_string_tables"
        PREFIX "/"
        BASE ${CMAKE_CURRENT_LIST_DIR}
        FILES ${ZELTA_STRING_TABLES})
endif()
