set(TESSELLON_LAYER_RULES "core/model -> import/")
