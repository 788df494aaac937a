// Model pose: the rest transforms of the nodes and their composition down the hierarchy.
#include "model/model_pose.h"

std::vector<int> nodesParentsFirst(const ModelData& data) {
    const int count = static_cast<int>(data.nodes.size());
    std::vector<int> order;
    order.reserve(data.nodes.size());
    std::vector<char> visited(data.nodes.size(), 0);
    std::vector<int> stack;
    for (int root = 0; root < count; ++root) {
        if (data.nodes[root].parent >= 0) continue;
        stack.push_back(root);
        while (!stack.empty()) {
            const int node = stack.back();
            stack.pop_back();
            // The loader refuses cycles; the mark keeps a node from being visited twice all the same.
            if (node < 0 || node >= count || visited[node]) continue;
            visited[node] = 1;
            order.push_back(node);
            const std::vector<int>& children = data.nodes[node].children;
            for (auto child = children.rbegin(); child != children.rend(); ++child) stack.push_back(*child);
        }
    }
    return order;
}

void setRestPose(const ModelData& data, ModelPose& pose) {
    pose.local.resize(data.nodes.size());
    pose.global.assign(data.nodes.size(), kIdentityMatrix4);
    for (std::size_t i = 0; i < data.nodes.size(); ++i) {
        const ModelNode& node = data.nodes[i];
        pose.local[i] = {node.translation, node.rotation, node.scale};
    }
}

void composeGlobals(const ModelData& data, const std::vector<int>& parentsFirst, ModelPose& pose) {
    for (const int index : parentsFirst) {
        const ModelNode& node = data.nodes[index];
        const NodeTransform& local = pose.local[index];
        const Matrix4 own =
            node.hasMatrix ? node.matrix : composeTransform(local.translation, local.rotation, local.scale);
        pose.global[index] = node.parent >= 0 ? multiply(pose.global[node.parent], own) : own;
    }
}
