#include <sxk/Scene.h>
#include <sxk/illustration/Illustration3dScene.h>

namespace sxk {

Scene::Scene() = default;

Scene::~Scene() = default;

namespace illustration {

Illustration3dScene::Illustration3dScene() = default;

Illustration3dScene::~Illustration3dScene() = default;

}  // namespace illustration
}  // namespace sxk
