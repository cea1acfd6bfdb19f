# What the Windows program loads from folders beside it: Qt's Japanese
# translation (translations/qtbase_ja.qm, so that the standard buttons read
# はい(&Y) and いいえ(&N)) and the IPA fonts (fonts/), which have the metrics of
# ＭＳ ゴシック, ＭＳ Ｐゴシック and ＭＳ 明朝 and stand in for them where Windows
# lacks them. All three come from Debian's packages of the build machine.
set(SIFTA_QT_JAPANESE /usr/share/qt6/translations/qtbase_ja.qm)
set(SIFTA_FONTS /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
                /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf
                /usr/share/fonts/opentype/ipafont-mincho/ipam.ttf)

function(sifta_files_beside_the_program folder)
  file(COPY ${SIFTA_QT_JAPANESE} DESTINATION ${folder}/translations)
  file(COPY ${SIFTA_FONTS} DESTINATION ${folder}/fonts)
endfunction()
