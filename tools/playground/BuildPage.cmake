cmake_minimum_required(VERSION 3.25)
# Puts the playground page together: the template with the page script (after the scripts it
# uses), the module (which carries its WebAssembly inline) and the example scenarios written into
# it.
#   cmake -DTEMPLATE=.. -DAPI_SCRIPT=.. -DLINK_SCRIPT=.. -DPAGE_SCRIPT=.. -DMODULE=..
#         -DEXAMPLES_DIR=..
#         -DEXAMPLES=a.json|b.json -DOUTPUT=.. -P BuildPage.cmake
# EXAMPLES names the scenarios of EXAMPLES_DIR in the order the page lists them.

# Text made safe inside a <script> element: no "</script" can end it early.
function(script_safe text out)
    string(REPLACE "</" "<\\/" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text as a JavaScript string literal.
function(js_string text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(REPLACE "\r" "" text "${text}")
    string(REPLACE "\n" "\\n" text "${text}")
    string(REPLACE "<" "\\u003c" text "${text}")
    set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

file(READ ${TEMPLATE} page)
file(READ ${API_SCRIPT} api_script)
file(READ ${LINK_SCRIPT} link_script)
file(READ ${PAGE_SCRIPT} page_script)
string(PREPEND page_script "${api_script}\n${link_script}\n")
file(READ ${MODULE} module)
script_safe("${page_script}" page_script)
script_safe("${module}" module)

string(REPLACE "|" ";" examples "${EXAMPLES}")
set(entries "")
foreach(name ${examples})
    file(READ ${EXAMPLES_DIR}/${name} text)
    js_string("${name}" name_literal)
    js_string("${text}" text_literal)
    string(APPEND entries "  [${name_literal}, ${text_literal}],\n")
endforeach()
set(examples_text "[\n${entries}]")

# The template names each placeholder once, in this order; the texts are put in by position, so
# that nothing inside them is ever taken for a placeholder.
set(rest "${page}")
set(page "")
foreach(pair "@EXAMPLES@|examples_text" "@MODULE@|module" "@PAGE_SCRIPT@|page_script")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 marker)
    list(GET pair 1 variable)
    string(FIND "${rest}" "${marker}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${TEMPLATE}: ${marker} missing or out of order")
    endif()
    string(SUBSTRING "${rest}" 0 ${at} before)
    string(LENGTH "${marker}" length)
    math(EXPR after "${at} + ${length}")
    string(SUBSTRING "${rest}" ${after} -1 rest)
    string(APPEND page "${before}${${variable}}")
endforeach()
string(APPEND page "${rest}")
file(WRITE ${OUTPUT} "${page}")
