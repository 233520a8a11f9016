# Embeds the string tables (resources/strings/<id>.xml, read as ":/strings/<id>.xml") into the
# core library. The files are given with absolute paths; BASE strips the resources/ prefix.
file(GLOB ZELTA_STRING_TABLES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/strings/*.xml)
if(ZELTA_STRING_TABLES)
    qt_add_resources(zelta_core "zelta_string_tables"
        PREFIX "/"
        BASE ${CMAKE_CURRENT_LIST_DIR}
        FILES ${ZELTA_STRING_TABLES})
endif()

# Update-loader images: the placeholders of resources/bios/ unless a real image is given. Each is
# copied to the build tree under its resource name, so any file name and location works.
set(ZELTA_LOADER_IMAGE_141 "" CACHE FILEPATH "Update-loader image 141 to embed instead of the placeholder")
set(ZELTA_LOADER_IMAGE_142 "" CACHE FILEPATH "Update-loader image 142 to embed instead of the placeholder")
set(ZELTA_LOADER_IMAGE_DIR ${CMAKE_BINARY_DIR}/loader_images)
set(ZELTA_LOADER_IMAGES "")
foreach(id IN ITEMS 141 142)
    set(image "${ZELTA_LOADER_IMAGE_${id}}")
    if(image STREQUAL "")
        set(image ${CMAKE_CURRENT_LIST_DIR}/bios/${id}.bin)
    else()
        get_filename_component(image "${image}" ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
        message(STATUS "Update-loader image ${id}: ${image}")
    endif()
    if(NOT EXISTS "${image}" OR IS_DIRECTORY "${image}")
        message(FATAL_ERROR "Update-loader image ${id} not found: ${image}")
    endif()
    configure_file("${image}" ${ZELTA_LOADER_IMAGE_DIR}/bios/${id}.bin COPYONLY)
    list(APPEND ZELTA_LOADER_IMAGES ${ZELTA_LOADER_IMAGE_DIR}/bios/${id}.bin)
endforeach()
qt_add_resources(zelta_core "zelta_loader_images"
    PREFIX "/"
    BASE ${ZELTA_LOADER_IMAGE_DIR}
    FILES ${ZELTA_LOADER_IMAGES})

# Artwork drawn by tools/artwork (":/images/<id>.png", with "@2x" variants): the window icon 128
# (one file per size), the wizard header 129, the about-box logo 137 and the busy animation 138.
file(GLOB ZELTA_IMAGES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/images/*.png)
if(ZELTA_IMAGES)
    qt_add_resources(zelta_core "zelta_images"
        PREFIX "/"
        BASE ${CMAKE_CURRENT_LIST_DIR}
        FILES ${ZELTA_IMAGES})
endif()
